// Characters that GBK lacks (CJK extensions in names, Korean, emoji, Latin
// letters, a zero-width space) through the C interface: texts, sheet names
// and file names keep them, both ways between the library and openpyxl.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sheetlib/api/book_guard.h"
#include "sheetlib/api/host_python.h"
#include "sheetlib/sheetlib.h"
#include "sheetlib/support/scratch_folder.h"
#include "support/gbk_literal.h"

namespace {

using colsplit::testing::BookGuard;
using colsplit::testing::gbk;
using colsplit::testing::ScratchFolder;

std::string u8s(std::u8string_view s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size()); }

// As make_beyond_gbk_book.py writes them.
const std::vector<std::u8string_view> kValues = {
    u8"𠮷野家", u8"王䶮", u8"李㐀", u8"한국어", u8"😀", u8"😁", u8"🇨🇳", u8"ß",
    u8"ğ",      u8"ﬀ",   u8"ｱ",   u8"a\u200Bb", u8"€", u8"北京", u8"ǹ⺁㑳䶮"};

std::string read_utf8(SheetHandle sheet, int row, int column) {
  const char* text = xlSheetReadStrA(sheet, row, column, nullptr);
  return text ? colsplit::gbk_to_utf8(text) : "(null)";
}

std::string file_name(const ScratchFolder& folder, std::u8string_view wanted) {
  return folder.holds_chinese_names() ? gbk(wanted) : "beyond-gbk.xlsx";
}

TEST(BeyondGbk, WrittenTextsAndSheetNameReadBackByOpenpyxl) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path(file_name(folder, u8"한국어😀𠮷.xlsx"));
  {
    BookGuard book;
    SheetHandle sheet = xlBookInsertSheetA(book, 0, gbk(u8"한국어😀").c_str(), nullptr);
    ASSERT_NE(sheet, nullptr);
    for (int row = 0; row < static_cast<int>(kValues.size()); ++row)
      ASSERT_EQ(xlSheetWriteStrA(sheet, row, 0, gbk(kValues[row]).c_str(), nullptr), 1);
    ASSERT_EQ(xlBookSaveA(book, path.c_str()), 1);
  }
  const std::optional<std::string> output = colsplit::testing::run_python("read_back.py", path);
  if (!output) GTEST_SKIP() << "Python with openpyxl cannot be started from here";
  std::string expected = u8s(u8"sheets [\"한국어😀\"]\n");
  for (std::size_t row = 0; row < kValues.size(); ++row)
    expected += "cell A" + std::to_string(row + 1) + " s None/None/None/None \"" + u8s(kValues[row]) + "\"\n";
  EXPECT_EQ(*output, expected);
}

TEST(BeyondGbk, WorkbookWrittenByOpenpyxlReadsAsItWasWritten) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path(file_name(folder, u8"王䶮.xlsx"));
  const std::optional<std::string> output = colsplit::testing::run_python("make_beyond_gbk_book.py", path);
  if (!output) GTEST_SKIP() << "Python with openpyxl cannot be started from here";
  ASSERT_EQ(*output, "");
  BookGuard book;
  ASSERT_EQ(xlBookLoadA(book, path.c_str()), 1);
  SheetHandle sheet = xlBookGetSheetA(book, 0);
  ASSERT_EQ(xlSheetLastRowA(sheet), static_cast<int>(kValues.size()));
  ASSERT_EQ(xlSheetLastColA(sheet), static_cast<int>(kValues.size()) + 1);
  for (int i = 0; i < static_cast<int>(kValues.size()); ++i) {
    EXPECT_EQ(read_utf8(sheet, i, 0), u8s(kValues[i])) << "A" << i + 1;
    EXPECT_EQ(read_utf8(sheet, 1, i + 1), u8s(kValues[i])) << "row 2, column " << i + 2;
  }
}

// Sheet names count UTF-16 units: a character above U+FFFF is two.
TEST(BeyondGbk, SheetNamesCountUtf16Units) {
  BookGuard book;
  std::string emoji;
  for (int i = 0; i < 15; ++i) emoji += gbk(u8"😀");
  EXPECT_NE(xlBookInsertSheetA(book, 0, (emoji + "a").c_str(), nullptr), nullptr);  // 31 units
  EXPECT_EQ(xlBookInsertSheetA(book, 1, (emoji + gbk(u8"😀")).c_str(), nullptr), nullptr);
  std::string korean;
  for (int i = 0; i < 31; ++i) korean += gbk(u8"한");
  EXPECT_NE(xlBookInsertSheetA(book, 1, korean.c_str(), nullptr), nullptr);
  EXPECT_EQ(xlBookInsertSheetA(book, 2, (korean + gbk(u8"한")).c_str(), nullptr), nullptr);

  // Letter case does not make another name, in any script.
  EXPECT_NE(xlBookInsertSheetA(book, 2, gbk(u8"ğ").c_str(), nullptr), nullptr);
  EXPECT_EQ(xlBookInsertSheetA(book, 3, gbk(u8"Ğ").c_str(), nullptr), nullptr);
  EXPECT_NE(xlBookInsertSheetA(book, 3, gbk(u8"ß").c_str(), nullptr), nullptr);
}

// A cell holds 32,767 UTF-16 units; 16,384 emoji are one too many.
TEST(BeyondGbk, CellLengthCountsUtf16Units) {
  BookGuard book;
  SheetHandle sheet = xlBookInsertSheetA(book, 0, "s", nullptr);
  std::string text;
  for (int i = 0; i < 16'383; ++i) text += gbk(u8"😀");
  EXPECT_EQ(xlSheetWriteStrA(sheet, 0, 0, (text + "a").c_str(), nullptr), 1);
  EXPECT_EQ(xlSheetWriteStrA(sheet, 1, 0, (text + gbk(u8"😀")).c_str(), nullptr), 0);
}

}  // namespace
