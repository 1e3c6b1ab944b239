#include "text/gbk_chars.h"

#include <gtest/gtest.h>

#include "support/gbk_literal.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;

// 淺 and 乗 end in 0x5C, the backslash, in GBK.
TEST(GbkChars, TrailBytesAreNotCharacters) {
  const std::string shallow = gbk(u8"淺");
  ASSERT_EQ(shallow.size(), 2u);
  ASSERT_EQ(shallow[1], '\\');
  ASSERT_EQ(gbk(u8"乗")[1], '\\');

  const std::string path = "C:\\" + gbk(u8"淺") + "\\" + gbk(u8"乗") + ".xlsx";
  EXPECT_EQ(find_last_char(path, '\\'), 5u);
  EXPECT_EQ(find_last_char(gbk(u8"淺乗"), '\\'), std::string::npos);
  EXPECT_EQ(gbk_char_length(path, 3), 2u);
  EXPECT_EQ(gbk_char_length(path, 5), 1u);
}

TEST(GbkChars, LeadByteAtTheEndCountsAsOneByte) {
  const std::string cut = gbk(u8"表").substr(0, 1);
  EXPECT_EQ(gbk_char_length(cut, 0), 1u);
  EXPECT_EQ(find_last_char("a\\" + cut, '\\'), 1u);
  EXPECT_EQ(cut_at_char_boundary("ab" + gbk(u8"表"), 3), "ab");
  EXPECT_EQ(cut_at_char_boundary("ab" + gbk(u8"表"), 4), "ab" + gbk(u8"表"));
}

TEST(GbkChars, FindsNeedlesOnlyAtCharacterBoundaries) {
  // The trail byte of 乗 followed by "x" is no "\x".
  EXPECT_EQ(find_at_char_boundary(gbk(u8"乗") + "x", "\\x"), std::string::npos);
  EXPECT_EQ(find_at_char_boundary(gbk(u8"乗") + "\\x", "\\x"), 2u);
  EXPECT_EQ(find_at_char_boundary("BOOK.XLSX", ".x"), std::string::npos);
  EXPECT_EQ(find_at_char_boundary("BOOK.XLSX", ".x", true), 4u);
  EXPECT_EQ(find_at_char_boundary("abc", ""), 0u);
}

}  // namespace
}  // namespace colsplit
