#include "text/gb18030.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/hex_text.h"
#include "text/encoding.h"
#include "text/gbk_chars.h"
#include "text/unicode.h"

namespace colsplit {
namespace {

using ::colsplit::testing::hex;
using ::colsplit::testing::unhex;

std::string to_gbk(std::u8string_view utf8) {
  return utf8_to_gbk(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}
std::string utf8_of(std::u8string_view utf8) { return std::string(reinterpret_cast<const char*>(utf8.data()), utf8.size()); }

std::string bytes_of(char32_t c) {
  std::string bytes;
  append_gbk(bytes, c);
  return bytes;
}

std::vector<char32_t> decode(std::string_view text) {
  std::vector<char32_t> code_points;
  for (std::size_t pos = 0; pos < text.size();) code_points.push_back(next_gbk(text, pos));
  return code_points;
}

// The values that used to come out as "?": rare characters of Chinese
// names, Korean, emoji (a flag is two of them), Latin letters outside GBK,
// half-width katakana, a zero-width space.
const std::u8string_view kValuesOutsideGbk[] = {u8"𠮷野家", u8"王䶮", u8"李㐀", u8"한국어", u8"😀", u8"😁",
                                                 u8"🇨🇳", u8"ß", u8"ğ", u8"ﬀ", u8"ｱ", u8"a\u200Bb"};

TEST(Gb18030, ValuesOutsideGbkSurviveEveryConversion) {
  std::vector<std::string> seen;
  for (const std::u8string_view value : kValuesOutsideGbk) {
    const std::string gbk = to_gbk(value);
    SCOPED_TRACE(hex(gbk));
    EXPECT_EQ(gbk.find('?'), std::string::npos);
    EXPECT_EQ(gbk_to_utf8(gbk), utf8_of(value));
    EXPECT_EQ(utf16_to_gbk(gbk_to_utf16(gbk)), gbk);
    for (const std::string& other : seen) EXPECT_NE(gbk, other);
    seen.push_back(gbk);
  }
}

TEST(Gb18030, GbkCharactersKeepTheirBytes) {
  EXPECT_EQ(hex(to_gbk(u8"北京")), "b1b1bea9");
  EXPECT_EQ(hex(to_gbk(u8"€")), "80");  // Windows' single byte, not GB18030's A2E3
  EXPECT_EQ(hex(to_gbk(u8"\uE000")), "aaa1");  // the user-defined areas
  EXPECT_EQ(hex(to_gbk(u8"·—")), "a1a4a1aa");
  EXPECT_EQ(hex(to_gbk(u8"abc")), "616263");
}

TEST(Gb18030, OtherCharactersTakeTheirFourByteSequences) {
  EXPECT_EQ(hex(to_gbk(u8"𠮷")), "9534b235");
  EXPECT_EQ(hex(to_gbk(u8"㐀")), "8139ee39");
  EXPECT_EQ(hex(to_gbk(u8"한")), "83368433");
  EXPECT_EQ(hex(to_gbk(u8"😀")), "9439fc36");
  EXPECT_EQ(hex(to_gbk(u8"ß")), "81308938");
  EXPECT_EQ(hex(to_gbk(u8"\u200B")), "8136a437");
  EXPECT_EQ(hex(bytes_of(0x80)), "81308130");
  EXPECT_EQ(hex(bytes_of(0xFFFF)), "8431a439");
  EXPECT_EQ(hex(bytes_of(0x10000)), "90308130");
  EXPECT_EQ(hex(bytes_of(0x10FFFF)), "e3329a35");
  EXPECT_EQ(hex(bytes_of(kReplacementCharacter)), "8431a437");
}

// Windows' 936 has private-use characters at the two-byte codes where
// GB18030 has 䶮, ǹ and about eighty others. The codes keep Windows'
// meaning; the characters take the four-byte sequences that GB18030 gives
// those private-use characters.
TEST(Gb18030, CharactersWhoseCodeWindowsGivesToPrivateUse) {
  EXPECT_EQ(decode(unhex("FE9F")), std::vector<char32_t>{0xE863});
  EXPECT_EQ(hex(bytes_of(0xE863)), "fe9f");
  EXPECT_EQ(hex(to_gbk(u8"䶮")), "8336cf39");
  EXPECT_EQ(hex(to_gbk(u8"ǹ")), "8336c830");
  EXPECT_EQ(decode(unhex("8336CF398336C830")), (std::vector<char32_t>{U'䶮', U'ǹ'}));
}

TEST(Gb18030, EveryScalarValueRoundTripsAsOneWholeCharacter) {
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c == 0xD800) c = 0xE000;
    const std::string bytes = bytes_of(c);
    ASSERT_TRUE(bytes.size() == 1 || bytes.size() == 2 || bytes.size() == 4) << std::hex << static_cast<unsigned>(c);
    ASSERT_EQ(gbk_char_length(bytes, 0), bytes.size()) << std::hex << static_cast<unsigned>(c);
    std::size_t pos = 0;
    ASSERT_EQ(next_gbk(bytes, pos), c) << std::hex << static_cast<unsigned>(c);
    std::string utf8;
    append_utf8(utf8, c);
    ASSERT_EQ(utf8_to_gbk("a" + utf8), "a" + bytes) << std::hex << static_cast<unsigned>(c);
    // No ASCII byte below the digits inside a character: the backslash,
    // the dot and the slash are always characters of their own.
    if (bytes.size() > 1) {
      for (const char byte : bytes) ASSERT_GE(static_cast<unsigned char>(byte), 0x30u) << std::hex << static_cast<unsigned>(c);
    }
  }
}

// Every sequence decodes to a character that is written back the same way,
// but for GB18030's sequences of the two private-use characters that
// Windows holds at A2E3 and at the single byte 0xFF.
TEST(Gb18030, EveryTwoAndFourByteSequenceDecodesAndComesBack) {
  std::string sequence(2, '\0');
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      sequence[0] = static_cast<char>(lead);
      sequence[1] = static_cast<char>(trail);
      std::size_t pos = 0;
      const char32_t c = next_gbk(sequence, pos);
      ASSERT_EQ(pos, 2u);
      ASSERT_NE(c, kReplacementCharacter) << hex(sequence);
      ASSERT_EQ(bytes_of(c), sequence);
    }
  }
  int assigned = 0;
  for (std::uint32_t index = 0; index < 1'300'000; ++index) {
    const std::string four = {static_cast<char>(0x81 + index / 12'600), static_cast<char>(0x30 + index / 1'260 % 10),
                              static_cast<char>(0x81 + index / 10 % 126), static_cast<char>(0x30 + index % 10)};
    if (static_cast<unsigned char>(four[0]) > 0xFE) break;
    std::size_t pos = 0;
    const char32_t c = next_gbk(four, pos);
    ASSERT_EQ(pos, 4u);
    if (c == kReplacementCharacter && four != "\x84\x31\xA4\x37") continue;
    ++assigned;
    if (four == "\x83\x36\xC7\x39" || four == "\x83\x39\xFE\x30") {
      EXPECT_EQ(hex(bytes_of(c)), c == 0xE76C ? "a2e3" : "ff");
      continue;
    }
    ASSERT_EQ(bytes_of(c), four) << hex(four);
  }
  EXPECT_EQ(assigned, 39'420 + 0x100000);
}

// A broken sequence is one U+FFFD and takes no more bytes than the walk
// gives it, so that what follows survives.
TEST(Gb18030, BrokenSequencesLoseNothingAfterThem) {
  constexpr char32_t kFFFD = kReplacementCharacter;
  EXPECT_EQ(decode(unhex("B1")), std::vector<char32_t>{kFFFD});
  EXPECT_EQ(decode(unhex("B17F41")), (std::vector<char32_t>{kFFFD, 0x7F, U'A'}));
  EXPECT_EQ(decode(unhex("B1B1B1")), (std::vector<char32_t>{U'北', kFFFD}));
  EXPECT_EQ(decode(unhex("8130815C")), (std::vector<char32_t>{kFFFD, U'0', U'乗'}));  // 81 5C is a character
  EXPECT_EQ(decode(unhex("81308141")), (std::vector<char32_t>{kFFFD, U'0', U'丄'}));
  EXPECT_EQ(decode(unhex("8130")), (std::vector<char32_t>{kFFFD, U'0'}));
  EXPECT_EQ(decode(unhex("8530813041")), (std::vector<char32_t>{kFFFD, U'A'}));  // stands for nothing
  EXPECT_EQ(decode(unhex("E3329A36")), std::vector<char32_t>{kFFFD});          // beyond U+10FFFF
  EXPECT_EQ(decode(unhex("80FF")), (std::vector<char32_t>{U'€', 0xF8F5}));
  EXPECT_EQ(gbk_to_utf8(unhex("41B1")), "A\xEF\xBF\xBD");

  EXPECT_EQ(hex(bytes_of(0xD800)), "8431a437");
  EXPECT_EQ(hex(bytes_of(0x110000)), "8431a437");
  EXPECT_EQ(utf8_to_gbk("a\xFF" "b"), unhex("618431A43762"));
  EXPECT_EQ(utf16_to_gbk(u"a\xD800"), unhex("618431A437"));
}

// Every text of up to four bytes drawn from the bytes at the edges of
// UTF-8's and GB18030's ranges converts as one character at a time would
// (next_utf8 and append_gbk; next_gbk and append_utf8 the other way): the
// whole-text conversions write into a buffer of their own, with a shortcut
// for three-byte characters, and must take nothing else.
TEST(Gb18030, WholeTextsConvertAsCharacterByCharacter) {
  const unsigned char edges[] = {0x30, 0x39, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC2, 0xDF, 0xE0,
                                 0xE1, 0xE4, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
  const std::size_t count = sizeof edges;
  std::string text;
  for (std::size_t n = 1, total = count; n <= 4; ++n, total *= count) {
    for (std::size_t i = 0; i < total; ++i) {
      text.clear();
      for (std::size_t k = 0, rest = i; k < n; ++k, rest /= count) text.push_back(static_cast<char>(edges[rest % count]));
      std::string expected;
      for (std::size_t pos = 0; pos < text.size();) append_gbk(expected, next_utf8(text, pos));
      ASSERT_EQ(hex(utf8_to_gbk(text)), hex(expected)) << hex(text);
      expected.clear();
      for (std::size_t pos = 0; pos < text.size();) append_utf8(expected, next_gbk(text, pos));
      ASSERT_EQ(hex(gbk_to_utf8(text)), hex(expected)) << hex(text);
    }
  }
}

TEST(Gb18030, AsciiAndEmptyTextsAreCopies) {
  EXPECT_EQ(gbk_to_utf8(""), "");
  EXPECT_EQ(utf8_to_gbk(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(gbk_to_utf16("a\tb"), u"a\tb");
}

TEST(Gb18030, CountsUtf16Units) {
  EXPECT_EQ(utf16_units(to_gbk(u8"a北😀")), 4u);
  EXPECT_EQ(utf16_units(to_gbk(u8"🇨🇳")), 4u);
  EXPECT_EQ(utf16_units(""), 0u);
}

}  // namespace
}  // namespace colsplit
