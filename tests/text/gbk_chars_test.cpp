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

// A four-byte sequence is one character: cuts keep it whole, and its digit
// bytes are never found on their own.
TEST(GbkChars, FourByteSequencesStayWhole) {
  const std::string emoji = gbk(u8"😀");
  ASSERT_EQ(emoji.size(), 4u);
  const std::string text = "a" + emoji + gbk(u8"北");
  EXPECT_EQ(gbk_char_length(text, 1), 4u);
  EXPECT_EQ(gbk_char_length(text, 5), 2u);
  for (std::size_t max = 1; max < 5; ++max) EXPECT_EQ(cut_at_char_boundary(text, max), "a") << max;
  EXPECT_EQ(cut_at_char_boundary(text, 5), "a" + emoji);
  EXPECT_EQ(find_at_char_boundary(text, emoji.substr(2, 2)), std::string::npos);
  EXPECT_EQ(find_at_char_boundary(text, emoji), 1u);
  EXPECT_EQ(find_last_char(gbk(u8"한국") + "\\" + gbk(u8"😀.x"), '\\'), 8u);
}

// The euro sign is the single byte 0x80 and leads no double-byte
// character: a backslash after it is a backslash.
TEST(GbkChars, EuroSignIsOneByte) {
  const std::string folder = "C:\\" + gbk(u8"€") + "\\" + gbk(u8"表") + ".xlsx";
  ASSERT_EQ(folder.substr(3, 1), "\x80");
  EXPECT_EQ(gbk_char_length(folder, 3), 1u);
  EXPECT_EQ(find_last_char(folder, '\\'), 4u);
  EXPECT_EQ(find_at_char_boundary(gbk(u8"€") + ".x", ".x"), 1u);
}

// A lead byte before a byte that cannot follow it stands alone, so that
// the byte after it (here a backslash) keeps its meaning.
TEST(GbkChars, LeadByteBeforeAnImpossibleTrailStandsAlone) {
  EXPECT_EQ(gbk_char_length("\xB1\x7F", 0), 1u);
  EXPECT_EQ(gbk_char_length("\xFF\x5C", 0), 1u);
  EXPECT_EQ(find_last_char("a\xB1/", '/'), 2u);
  EXPECT_EQ(gbk_char_length("\x81\x30\x81", 0), 1u);
}

}  // namespace
}  // namespace colsplit
