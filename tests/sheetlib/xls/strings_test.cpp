// Texts of .xls workbooks: the shared string table and its CONTINUE
// records, compressed and UTF-16 characters, formatting runs and phonetic
// data, and counts that lie.
#include <gtest/gtest.h>

#include <string>

#include "support/gbk_literal.h"
#include "test_package.h"
#include "text/encoding.h"
#include "xls_maker.h"

namespace sheetlib::testing {
namespace {

using colsplit::testing::gbk;
using Rows = std::vector<std::vector<std::string>>;

constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kContinue = 0x003C;

// The GBK texts of the first row of a workbook whose globals hold `sst_records`
// and whose sheet shows shared strings 0 … count - 1 in a row.
std::vector<std::string> shared_texts(const std::string& sst_records, int count, ReadStatus expected = ReadStatus::ok) {
  std::string cells;
  for (int i = 0; i < count; ++i) cells += label_sst(0, static_cast<std::uint16_t>(i), static_cast<std::uint32_t>(i));
  Loaded loaded = load(make_xls(one_sheet_stream(cells, sst_records)));
  EXPECT_EQ(loaded.status, expected);
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) texts.emplace_back(loaded.grid.text(0, i));
  return texts;
}

std::string header(std::uint16_t count, std::uint8_t flags) { return u16le(count) + std::string(1, static_cast<char>(flags)); }

TEST(SharedStrings, CompressedAndUtf16TextsBecomeGbk) {
  EXPECT_EQ(shared_texts(sst({u"plain", u"城市", u"café", u""}), 4),
            (std::vector<std::string>{"plain", gbk(u8"城市"), gbk(u8"café"), ""}));
}

TEST(SharedStrings, ATextCutByContinueMayChangeItsWidthAtTheCut) {
  // "ab" compressed, then "城市" in UTF-16 behind a flags byte 1, then "cd"
  // compressed again behind a flags byte 0; then a second text that begins
  // a record of its own, without a flags byte.
  const std::string records = biff(kSst, u32le(2) + u32le(2) + header(6, 0x00) + "ab") +
                              biff(kContinue, std::string("\x01") + utf16_bytes(u"城市")) +
                              biff(kContinue, std::string("\x00", 1) + "cd") +
                              biff(kContinue, xl_string(u"next"));
  EXPECT_EQ(shared_texts(records, 2), (std::vector<std::string>{gbk(u8"ab城市cd"), "next"}));
}

TEST(SharedStrings, CountsAndRunsCutByContinueGoOnWithoutAFlagsByte) {
  // The count is cut after its first byte; the formatting runs (two of four
  // bytes) and the phonetic data (five bytes) are cut in their middle.
  const std::string first = header(3, 0x0D) + u16le(2) + u32le(5) + utf16_bytes(u"漢字x") +
                            std::string(6, 'r');
  const std::string records = biff(kSst, u32le(2) + u32le(2) + std::string(1, '\x03')) +
                              biff(kContinue, first.substr(1)) +  // from the count's second byte on
                              biff(kContinue, std::string(2, 'r') + "pho") +
                              biff(kContinue, std::string("ne") + xl_string(u"after"));
  EXPECT_EQ(shared_texts(records, 2), (std::vector<std::string>{gbk(u8"漢字x"), "after"}));
}

TEST(SharedStrings, RichAndPhoneticTextsShowOnlyTheirCharacters) {
  const std::string rich = header(4, 0x08) + u16le(2) + "bold" + std::string(8, '\x07');
  const std::string phonetic = header(2, 0x05) + u32le(10) + utf16_bytes(u"東京") + std::string(10, '\x11');
  const std::string both = header(1, 0x0C) + u16le(1) + u32le(3) + "x" + std::string(4, '\x01') + "abc";
  const std::string records = biff(kSst, u32le(3) + u32le(3) + rich + phonetic + both);
  EXPECT_EQ(shared_texts(records, 3), (std::vector<std::string>{"bold", gbk(u8"東京"), "x"}));
}

TEST(SharedStrings, ALongTextSpreadOverManyRecordsComesBackWhole) {
  // 20,000 UTF-16 characters: 40,000 bytes in five records, each cut
  // behind a flags byte of its own.
  std::u16string text;
  for (int i = 0; i < 20'000; ++i) text += static_cast<char16_t>(u'一' + i % 500);
  const std::string bytes = utf16_bytes(text);
  std::string records = biff(kSst, u32le(1) + u32le(1) + header(static_cast<std::uint16_t>(text.size()), 0x01) +
                                       bytes.substr(0, 8000));
  for (std::size_t at = 8000; at < bytes.size(); at += 8000) records += biff(kContinue, std::string("\x01") + bytes.substr(at, 8000));
  std::string utf8;
  for (const char16_t c : text) {
    utf8 += static_cast<char>(0xE0 | (c >> 12));
    utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (c & 0x3F));
  }
  EXPECT_EQ(shared_texts(records, 1), (std::vector<std::string>{colsplit::utf8_to_gbk(utf8)}));
}

TEST(SharedStrings, CharactersOutsideGbkGoThroughTheTextConverter) {
  // A surrogate pair (U+20000, U+1F600), one cut between two records, and
  // unpaired surrogates, which become U+FFFD.
  const std::string pair = utf16_bytes(u"\U00020000");
  const std::string records =
      biff(kSst, u32le(3) + u32le(3) + xl_string(u"a\U00020000b") + header(2, 0x01) + pair.substr(0, 2)) +
      biff(kContinue, std::string("\x01") + pair.substr(2) + header(3, 0x01) + u16le(0xD800) + u16le(u'x') + u16le(0xDC00));
  EXPECT_EQ(shared_texts(records, 3),
            (std::vector<std::string>{colsplit::utf8_to_gbk("a\xF0\xA0\x80\x80" "b"),
                                      colsplit::utf8_to_gbk("\xF0\xA0\x80\x80"),
                                      colsplit::utf8_to_gbk("\xEF\xBF\xBDx\xEF\xBF\xBD")}));
}

TEST(SharedStrings, NulCharactersAreLeftOut) {
  EXPECT_EQ(shared_texts(sst({std::u16string(u"a\0b", 3)}), 1), (std::vector<std::string>{"ab"}));
}

TEST(SharedStrings, ADeclaredCountBeyondTheTextsReadsThoseThere) {
  EXPECT_EQ(shared_texts(sst({u"one", u"two"}, 0xFFFFFFFF), 2), (std::vector<std::string>{"one", "two"}));
  // A cell pointing past them is damage.
  shared_texts(sst({u"one", u"two"}, 0xFFFFFFFF), 3, ReadStatus::malformed);
}

TEST(SharedStrings, ADeclaredCountBelowTheTextsReadsOnlyThatMany) {
  shared_texts(sst({u"one", u"two"}, 1), 2, ReadStatus::malformed);
  EXPECT_EQ(shared_texts(sst({u"one", u"two"}, 1), 1), (std::vector<std::string>{"one"}));
}

TEST(SharedStrings, ATextThatRunsPastItsRecordsFails) {
  shared_texts(biff(kSst, u32le(1) + u32le(1) + header(10, 0x00) + "short"), 1, ReadStatus::malformed);
  shared_texts(biff(kSst, u32le(1) + u32le(1) + header(10, 0x00) + "short") + biff(kContinue, ""), 1,
               ReadStatus::malformed);
  // Formatting runs and phonetic data that claim more than there is.
  shared_texts(biff(kSst, u32le(1) + u32le(1) + header(1, 0x08) + u16le(0xFFFF) + "x"), 1, ReadStatus::malformed);
  shared_texts(biff(kSst, u32le(1) + u32le(1) + header(1, 0x04) + u32le(0xFFFFFFFF) + "x"), 1,
               ReadStatus::malformed);
  shared_texts(biff(kSst, u32le(1)), 0, ReadStatus::malformed);  // no count of unique texts
}

TEST(SharedStrings, TheStringLimitHolds) {
  std::vector<std::u16string> many(1000, u"t");
  std::string cells = label_sst(0, 0, 999);
  ReadLimits limits;
  limits.max_shared_strings = 999;
  EXPECT_EQ(load(make_xls(one_sheet_stream(cells, sst(many))), limits).status, ReadStatus::over_limit);
  limits.max_shared_strings = 1000;
  EXPECT_EQ(load(make_xls(one_sheet_stream(cells, sst(many))), limits).status, ReadStatus::ok);
}

TEST(Labels, InlineTextsAndTheirContinueRecords) {
  // LABEL holds its text itself; a long one goes on in a CONTINUE record.
  std::u16string long_text(10'000, u'长');
  const std::string bytes = utf16_bytes(long_text);
  const std::string long_label = biff(0x0204, u16le(1) + u16le(0) + u16le(0) +
                                                  header(static_cast<std::uint16_t>(long_text.size()), 0x01) +
                                                  bytes.substr(0, 8000)) +
                                 biff(kContinue, std::string("\x01") + bytes.substr(8000, 8000)) +
                                 biff(kContinue, std::string("\x01", 1) + bytes.substr(16000));
  Loaded loaded = load(make_xls(one_sheet_stream(label(0, 0, u"名称") + label(0, 1, u"") + long_label)));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.text(0, 0), gbk(u8"名称"));
  EXPECT_TRUE(loaded.grid.has_value(0, 1));  // an empty text is a value
  std::string expected;
  for (int i = 0; i < 10'000; ++i) expected += gbk(u8"长");
  EXPECT_EQ(loaded.grid.text(1, 0), expected);

  EXPECT_EQ(load(make_xls(one_sheet_stream(biff(0x0204, u16le(0) + u16le(0) + u16le(0) + header(9, 0) + "cut"))))
                .status,
            ReadStatus::malformed);
}

}  // namespace
}  // namespace sheetlib::testing
