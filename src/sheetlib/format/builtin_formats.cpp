#include <array>

#include "sheetlib/format/number_format.h"

namespace sheetlib {

namespace {

// The built-in formats as the Office Open XML standard lists them: the
// locale-neutral ids 0-4, 9-22 and 37-49, and the zh-CN ids 27-36 and 50-58.
// Ids 14 and 22 carry the short date of a Chinese Excel (yyyy/m/d) instead
// of the table's mm-dd-yy, and 5-8 and 41-44, which the table leaves to the
// locale, carry a Chinese Excel's yuan and accounting formats. Id 47 shows
// minutes and seconds with a colon, as Excel shows it, where the table
// writes "mmss.0". Ids 37-40 leave room for the closing parenthesis after a
// positive number (_), with or without decimals, as Excel writes them; the
// table pads only the integer ones, with a bare space.
constexpr std::array<std::string_view, 59> k_builtin_formats = {
    "General",                                                       // 0
    "0",                                                             // 1
    "0.00",                                                          // 2
    "#,##0",                                                         // 3
    "#,##0.00",                                                      // 4
    "\"¥\"#,##0;\"¥\"\\-#,##0",                                      // 5
    "\"¥\"#,##0;[Red]\"¥\"\\-#,##0",                                 // 6
    "\"¥\"#,##0.00;\"¥\"\\-#,##0.00",                                // 7
    "\"¥\"#,##0.00;[Red]\"¥\"\\-#,##0.00",                           // 8
    "0%",                                                            // 9
    "0.00%",                                                         // 10
    "0.00E+00",                                                      // 11
    "# ?/?",                                                         // 12
    "# ?\?/??",                                                     // 13
    "yyyy/m/d",                                                      // 14
    "d-mmm-yy",                                                      // 15
    "d-mmm",                                                         // 16
    "mmm-yy",                                                        // 17
    "h:mm AM/PM",                                                    // 18
    "h:mm:ss AM/PM",                                                 // 19
    "h:mm",                                                          // 20
    "h:mm:ss",                                                       // 21
    "yyyy/m/d h:mm",                                                 // 22
    "General", "General", "General", "General",                      // 23-26
    "yyyy\"年\"m\"月\"",                                             // 27
    "m\"月\"d\"日\"",                                                // 28
    "m\"月\"d\"日\"",                                                // 29
    "m-d-yy",                                                        // 30
    "yyyy\"年\"m\"月\"d\"日\"",                                      // 31
    "h\"时\"mm\"分\"",                                               // 32
    "h\"时\"mm\"分\"ss\"秒\"",                                       // 33
    "上午/下午h\"时\"mm\"分\"",                                      // 34
    "上午/下午h\"时\"mm\"分\"ss\"秒\"",                              // 35
    "yyyy\"年\"m\"月\"",                                             // 36
    "#,##0_);(#,##0)",                                               // 37
    "#,##0_);[Red](#,##0)",                                          // 38
    "#,##0.00_);(#,##0.00)",                                         // 39
    "#,##0.00_);[Red](#,##0.00)",                                    // 40
    "_ * #,##0_ ;_ * \\-#,##0_ ;_ * \"-\"_ ;_ @_ ",                  // 41
    "_ \"¥\"* #,##0_ ;_ \"¥\"* \\-#,##0_ ;_ \"¥\"* \"-\"_ ;_ @_ ",    // 42
    "_ * #,##0.00_ ;_ * \\-#,##0.00_ ;_ * \"-\"??_ ;_ @_ ",          // 43
    "_ \"¥\"* #,##0.00_ ;_ \"¥\"* \\-#,##0.00_ ;_ \"¥\"* \"-\"??_ ;_ @_ ",  // 44
    "mm:ss",                                                         // 45
    "[h]:mm:ss",                                                     // 46
    "mm:ss.0",                                                       // 47
    "##0.0E+0",                                                      // 48
    "@",                                                             // 49
    "yyyy\"年\"m\"月\"",                                             // 50
    "m\"月\"d\"日\"",                                                // 51
    "yyyy\"年\"m\"月\"",                                             // 52
    "m\"月\"d\"日\"",                                                // 53
    "m\"月\"d\"日\"",                                                // 54
    "上午/下午h\"时\"mm\"分\"",                                      // 55
    "上午/下午h\"时\"mm\"分\"ss\"秒\"",                              // 56
    "yyyy\"年\"m\"月\"",                                             // 57
    "m\"月\"d\"日\"",                                                // 58
};

}  // namespace

std::string_view builtin_number_format(int id) {
  if (id < 0 || id >= static_cast<int>(k_builtin_formats.size())) return "General";
  return k_builtin_formats[static_cast<std::size_t>(id)];
}

}  // namespace sheetlib
