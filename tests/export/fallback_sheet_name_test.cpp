// The name the writer falls back to when the library refuses a group value
// as a sheet name must itself be one the library takes, whatever the value:
// otherwise the group gets no sheet and its workbook is not written. Checked
// against the real library with every byte, refused characters in every
// position, lengths around the limit and random texts.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "export/fallback_sheet_name.h"
#include "sheetlib/sheetlib.h"
#include "support/gbk_literal.h"
#include "support/hex_text.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;

std::vector<std::string> awkward_values() {
  std::vector<std::string> values = {
      "", "'", "''", "'a'", "a'", "[1]", "a:b", "?", "*", "\\", "/", "x\ty", "\r\n",
      gbk(u8"淺"), gbk(u8"乗'"), gbk(u8"北京") + "'", "'" + gbk(u8"北京"),
      "\x81\x30\x81\x30",  // a four-byte GB18030 sequence
      "\x80", "\xff", "a\x81", "\x81\x7f", "\xa1\x40", "\xfe\xfe",
  };
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    values.push_back(one);
    values.push_back("a" + one + "b");
    values.push_back(std::string(40, static_cast<char>(byte)));
  }
  for (std::size_t length : {30u, 31u, 32u, 62u, 63u, 64u}) {
    values.push_back(std::string(length, 'x'));
    values.push_back(std::string(length - 1, 'x') + "'");
    std::string chinese;
    while (chinese.size() < length) chinese += gbk(u8"表");
    values.push_back(chinese);
    values.push_back(chinese + "'" + gbk(u8"表"));
  }
  std::mt19937 random(2026);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 70);
  for (int i = 0; i < 3000; ++i) {
    std::string value(static_cast<std::size_t>(length(random)), '\0');
    for (char& c : value) c = static_cast<char>(byte(random));
    values.push_back(value);
  }
  // Well-formed GBK double-byte characters among ASCII, as loaded texts are.
  std::uniform_int_distribution<int> lead(0x81, 0xFE);
  std::uniform_int_distribution<int> trail(0x40, 0xFE);
  std::uniform_int_distribution<int> ascii(0x20, 0x7E);
  for (int i = 0; i < 2000; ++i) {
    std::string value;
    for (int n = length(random) / 2; n > 0; --n) {
      if (n % 3 == 0) {
        value += static_cast<char>(ascii(random));
      } else {
        const int second = trail(random);
        value += static_cast<char>(lead(random));
        value += static_cast<char>(second == 0x7F ? 0x80 : second);
      }
    }
    values.push_back(value);
  }
  return values;
}

TEST(FallbackSheetName, CleansWhatSheetNamesRefuse) {
  EXPECT_EQ(fallback_sheet_name("a:b\\c/d?e*f[g]h"), "a_b_c_d_e_f_g_h");
  // A value with a line break or a tab still gets a sheet.
  EXPECT_EQ(fallback_sheet_name("a\nb\tc\r\x01\x1f"), "a_b_c___");
  EXPECT_EQ(fallback_sheet_name("''quoted'"), "quoted");
  EXPECT_EQ(fallback_sheet_name("it's"), "it's");
  EXPECT_EQ(fallback_sheet_name(""), gbk(u8"(空白)"));
  EXPECT_EQ(fallback_sheet_name("'''"), gbk(u8"(空白)"));
  EXPECT_EQ(fallback_sheet_name(std::string(40, 'x')), std::string(31, 'x'));
  // Cut by characters, not bytes; an apostrophe left at the cut goes too.
  std::u8string chinese;
  for (int i = 0; i < 40; ++i) chinese += u8"北";
  std::u8string expected;
  for (int i = 0; i < 31; ++i) expected += u8"北";
  EXPECT_EQ(fallback_sheet_name(gbk(chinese)), gbk(expected));
  EXPECT_EQ(fallback_sheet_name(std::string(30, 'x') + "'" + "yyy"), std::string(30, 'x'));
  // The trail byte 5C of 淺 is no backslash.
  EXPECT_EQ(fallback_sheet_name(gbk(u8"淺/乗")), gbk(u8"淺_乗"));
  // 0x80 is a character of its own (€) in the code page, and the control
  // character after it is refused on its own.
  EXPECT_EQ(fallback_sheet_name("a\x80\x07" "b"), "a\x80_b");
  // What does not convert becomes '_': a lead byte at the end, a lead byte
  // before a byte that cannot follow it (which stays a character of its own).
  EXPECT_EQ(fallback_sheet_name("x\x81"), "x_");
  EXPECT_EQ(fallback_sheet_name("\x81\x7f"), "_\x7f");
}

// Sheet names hold 31 UTF-16 units: an emoji is two, and a cut never
// splits one.
TEST(FallbackSheetName, CutsCharactersOutsideGbkWhole) {
  std::u8string emoji;
  for (int i = 0; i < 20; ++i) emoji += u8"😀";
  std::u8string fifteen;
  for (int i = 0; i < 15; ++i) fifteen += u8"😀";
  EXPECT_EQ(fallback_sheet_name(gbk(emoji)), gbk(fifteen));
  EXPECT_EQ(fallback_sheet_name(gbk(u8"a" + emoji)), gbk(u8"a" + fifteen));
  std::u8string korean;
  for (int i = 0; i < 40; ++i) korean += u8"한";
  EXPECT_EQ(fallback_sheet_name(gbk(korean)), gbk(korean).substr(0, 31 * 4));
  EXPECT_EQ(fallback_sheet_name(gbk(u8"🇨🇳/한국")), gbk(u8"🇨🇳_한국"));
}

TEST(FallbackSheetName, IsAlwaysOneTheLibraryAccepts) {
  for (const std::string& value : awkward_values()) {
    const Text name = fallback_sheet_name(value);
    BookHandle book = xlCreateXMLBookCA();
    ASSERT_NE(book, nullptr);
    EXPECT_NE(xlBookInsertSheetA(book, 0, name.c_str(), nullptr), nullptr)
        << testing::hex(value) << " gave " << testing::hex(name);
    xlBookReleaseA(book);
  }
}

}  // namespace
}  // namespace colsplit
