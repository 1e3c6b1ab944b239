#include "sheetlib/core/xml_text.h"

#include <gtest/gtest.h>

namespace sheetlib {
namespace {

std::string u8s(std::u8string_view s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size()); }

std::string text(std::string_view utf8) {
  std::string out;
  append_escaped_text(out, utf8);
  return out;
}

std::string attribute(std::string_view utf8) {
  std::string out;
  append_escaped_attribute(out, utf8);
  return out;
}

TEST(EscapedText, MarkupCharactersBecomeEntities) {
  EXPECT_EQ(text("a & b < c > d"), "a &amp; b &lt; c &gt; d");
  EXPECT_EQ(text("\"quoted\" 'x'"), "\"quoted\" 'x'");
  EXPECT_EQ(text(u8s(u8"北京&")), u8s(u8"北京&amp;"));
}

TEST(EscapedText, ControlCharactersBecomeHexEscapes) {
  EXPECT_EQ(text(std::string_view("a\x01z", 3)), "a_x0001_z");
  EXPECT_EQ(text(std::string_view("\x00", 1)), "_x0000_");
  EXPECT_EQ(text("\x1f\x0b\x0c"), "_x001F__x000B__x000C_");
  // Tab and line feed are allowed as they are; a carriage return would be
  // turned into a line feed by the reader's XML parser.
  EXPECT_EQ(text("a\tb\nc\rd"), "a\tb\nc&#13;d");
}

TEST(EscapedText, LiteralEscapeSequencesKeepTheirUnderscore) {
  EXPECT_EQ(text("_x0041_"), "_x005F_x0041_");
  EXPECT_EQ(text("a_x00aF_b_X0001_"), "a_x005F_x00aF_b_x005F_X0001_");
  // Not an escape sequence: left alone.
  EXPECT_EQ(text("_x004_ _x00G1_ _x0041 snake_case_"), "_x004_ _x00G1_ _x0041 snake_case_");
}

TEST(EscapedAttribute, QuotesAndControlCharactersAreReferences) {
  EXPECT_EQ(attribute("a\"b'<&>"), "a&quot;b'&lt;&amp;&gt;");
  EXPECT_EQ(attribute("a\tb\nc"), "a&#9;b&#10;c");
}

TEST(SpacePreserve, OnlyForLeadingOrTrailingWhitespace) {
  EXPECT_TRUE(needs_space_preserve(" a"));
  EXPECT_TRUE(needs_space_preserve("a\n"));
  EXPECT_FALSE(needs_space_preserve("a b"));
  EXPECT_FALSE(needs_space_preserve(""));
}

TEST(CellReference, LettersAndRowNumbers) {
  const auto reference = [](std::uint32_t row, std::uint32_t column) {
    std::string out;
    append_cell_reference(out, row, column);
    return out;
  };
  EXPECT_EQ(reference(0, 0), "A1");
  EXPECT_EQ(reference(9, 25), "Z10");
  EXPECT_EQ(reference(0, 26), "AA1");
  EXPECT_EQ(reference(0, 701), "ZZ1");
  EXPECT_EQ(reference(0, 702), "AAA1");
  EXPECT_EQ(reference(1'048'575, 16'383), "XFD1048576");
}

TEST(Decimal, ShortestFormThatReadsBack) {
  const auto decimal = [](double value) {
    std::string out;
    append_decimal(out, value);
    return out;
  };
  EXPECT_EQ(decimal(20), "20");
  EXPECT_EQ(decimal(8.43), "8.43");
  EXPECT_EQ(decimal(0.1 + 0.2), "0.30000000000000004");
}

}  // namespace
}  // namespace sheetlib
