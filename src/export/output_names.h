// The names the export gives to what it creates on disk: the export folder
// below the output folder, and one workbook path per group.
#pragma once

#include <cstddef>
#include <string_view>
#include <unordered_set>

#include "text/text.h"

namespace colsplit {

// Longest name of one folder or file. Windows counts UTF-16 units (two for
// a character above U+FFFF); Linux counts UTF-8 bytes.
constexpr std::size_t kLongestName = 255;

// The piece with each of \ / : * ? " < > | and every control character
// replaced by '_'. Only single-byte characters are looked at, so the trail
// byte of a character such as 淺 (0x9C 0x5C) is left alone.
Text clean_name_piece(std::string_view piece);

// The length of a name as the file system counts it.
std::size_t name_length(std::string_view name);

// The longest prefix of the text whose name_length is at most `longest`,
// ending at a character boundary.
std::string_view cut_to_name_length(std::string_view text, std::size_t longest);

// folder, separator, name. A folder that already ends in a separator (a
// drive root such as "D:\") gets no second one.
Text join_path(const Text& folder, std::string_view name);

// The output folder joined with "按_" + heading + "_分别导出", the heading
// made safe and cut so the name fits.
Text export_folder_path(const Text& output_folder, const Text& heading);

// The one workbook of an export into sheets: in the export folder,
// "按_" + heading + "_分别导出_" + stamp + ".xlsx", the heading made safe
// and cut so the name fits.
Text sheets_workbook_path(const Text& export_folder, const Text& heading, const Text& time_stamp);

// Letter case folded the way Windows compares names: every letter that has
// an upper case, in any script.
Text fold_letter_case(std::string_view text);

// The extension of the export's workbooks, and of its CSV files.
inline constexpr std::string_view kWorkbookExtension = ".xlsx";
inline constexpr std::string_view kCsvExtension = ".csv";

// Hands out the workbook paths of one export run: "按内容导出_" + value +
// "_" + stamp + ".xlsx" in the export folder, the value made safe and cut
// so the name fits. A path that the run handed out before (letter case
// ignored) gets " (2)", " (3)", ... before ".xlsx", so no group overwrites
// another's workbook.
class GroupPaths {
 public:
  explicit GroupPaths(Text export_folder) : export_folder_(std::move(export_folder)) {}

  Text take(const Text& value, const Text& time_stamp);
  // The same for a piece already made safe, with the given extension
  // (".csv" for a CSV file).
  Text take_piece(const Text& cleaned, const Text& time_stamp, std::string_view extension);

 private:
  Text export_folder_;
  std::unordered_set<Text> taken_;  // folded
};

}  // namespace colsplit
