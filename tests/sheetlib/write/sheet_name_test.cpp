#include "sheetlib/write/sheet_name.h"

#include <gtest/gtest.h>

#include <string>

namespace sheetlib {
namespace {

std::string u8s(std::u8string_view s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size()); }

TEST(SheetName, AcceptsWhatSpreadsheetApplicationsAccept) {
  EXPECT_TRUE(is_valid_sheet_name("Sheet1"));
  EXPECT_TRUE(is_valid_sheet_name(u8s(u8"北京")));
  EXPECT_TRUE(is_valid_sheet_name("a'b (2) & <x> #1 !"));
  EXPECT_TRUE(is_valid_sheet_name(std::string(31, 'x')));
  // 31 Chinese characters: 93 bytes of UTF-8, but 31 characters.
  std::string chinese;
  for (int i = 0; i < 31; ++i) chinese += u8s(u8"表");
  EXPECT_TRUE(is_valid_sheet_name(chinese));
  EXPECT_FALSE(is_valid_sheet_name(chinese + u8s(u8"表")));
}

TEST(SheetName, RefusesWhatTheyRefuse) {
  EXPECT_FALSE(is_valid_sheet_name(""));
  EXPECT_FALSE(is_valid_sheet_name(std::string(32, 'x')));
  for (const char* bad : {"a:b", "a\\b", "a/b", "a?b", "a*b", "a[b", "a]b", "'ab", "ab'", "'", "a\nb", "a\tb"}) {
    EXPECT_FALSE(is_valid_sheet_name(bad)) << bad;
  }
}

TEST(SheetName, SameNameIgnoresLetterCase) {
  EXPECT_TRUE(same_sheet_name("Sheet1", "sHEET1"));
  EXPECT_TRUE(same_sheet_name(u8s(u8"Ａbc北京"), u8s(u8"ａBC北京")));  // full-width Latin
  EXPECT_TRUE(same_sheet_name(u8s(u8"ΑΩ"), u8s(u8"αω")));            // Greek
  EXPECT_TRUE(same_sheet_name(u8s(u8"ЁЖ"), u8s(u8"ёж")));            // Cyrillic
  EXPECT_TRUE(same_sheet_name(u8s(u8"Ⅻ"), u8s(u8"ⅻ")));              // Roman numerals
  EXPECT_FALSE(same_sheet_name("Sheet1", "Sheet1 "));
  EXPECT_FALSE(same_sheet_name(u8s(u8"北京"), u8s(u8"南京")));
  EXPECT_FALSE(same_sheet_name("ab", "a"));
}

}  // namespace
}  // namespace sheetlib
