// Whole workbooks written through the C interface and read back by openpyxl,
// a reader we did not write.
#include <gtest/gtest.h>

#include <cstdio>
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

// What read_back.py prints for the workbook at the GBK path.
std::optional<std::string> read_back(const std::string& gbk_path) {
  return colsplit::testing::run_python("read_back.py", gbk_path);
}

#define EXPECT_READ_BACK(path, expected)                                              \
  do {                                                                                \
    const std::optional<std::string> output = read_back(path);                        \
    if (!output) GTEST_SKIP() << "Python with openpyxl cannot be started from here"; \
    EXPECT_EQ(*output, expected);                                                     \
  } while (false)

constexpr char kThin[] = "thin/thin/thin/thin";

// The workbook the export writes for one group: a header row and data rows
// of bordered string cells, the ignored-error range one row and two columns
// beyond them, and the widths of the columns up to one beyond the last.
TEST(RoundTrip, GroupWorkbookAsTheExportWritesIt) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path("group.xlsx");
  const std::vector<std::string> header{gbk(u8"城市"), gbk(u8"编号"), "", gbk(u8"备注")};
  const std::vector<std::vector<std::string>> rows{
      {gbk(u8"北京"), "007", "", "=1+1"},
      {gbk(u8"北京"), "1.50", gbk(u8"甲"), "a & <b> \"c\""},
      {gbk(u8"北京"), " 12 ", "TRUE", "line\r\nbreak\ttab"},
  };
  {
    BookGuard book;
    SheetHandle sheet = xlBookInsertSheetA(book, xlBookSheetCountA(book), gbk(u8"北京").c_str(), nullptr);
    ASSERT_NE(sheet, nullptr);
    FormatHandle border = xlBookAddFormatA(book, nullptr);
    xlFormatSetBorderA(border, 1);
    const auto text = [](const std::string& t) { return t.empty() ? nullptr : t.c_str(); };
    for (int h = 0; h < 4; ++h) xlSheetWriteStrA(sheet, 0, h, text(header[h]), border);
    for (int k = 0; k < 3; ++k) {
      for (int j = 0; j < 4; ++j) xlSheetWriteStrA(sheet, k + 1, j, text(rows[k][j]), border);
    }
    xlSheetAddIgnoredErrorA(sheet, 0, 0, 3 + 1, 4 + 1, 255);
    xlSheetSetColA(sheet, 0, 4, 20.0, nullptr, 0);
    ASSERT_EQ(xlBookSaveA(book, path.c_str()), 1);
  }
  const std::string s = std::string(" s ") + kThin + " ";
  const std::string empty = std::string(" n ") + kThin + " null\n";
  const std::string expected = u8s(u8"sheets [\"北京\"]\n"
                                   u8"cell A1") + s + u8s(u8"\"城市\"\n"
                                   u8"cell B1") + s + u8s(u8"\"编号\"\n"
                                   u8"cell C1") + empty + u8s(u8"cell D1") + s + u8s(u8"\"备注\"\n"
                                   u8"cell A2") + s + u8s(u8"\"北京\"\n"
                                   u8"cell B2") + s + "\"007\"\n"
                                   "cell C2" + empty +
                                   "cell D2" + s + "\"=1+1\"\n" +
                                   u8s(u8"cell A3") + s + u8s(u8"\"北京\"\n"
                                   u8"cell B3") + s + "\"1.50\"\n" +
                                   u8s(u8"cell C3") + s + u8s(u8"\"甲\"\n") +
                                   "cell D3" + s + "\"a & <b> \\\"c\\\"\"\n" +
                                   u8s(u8"cell A4") + s + u8s(u8"\"北京\"\n") +
                                   "cell B4" + s + "\" 12 \"\n"
                                   "cell C4" + s + "\"TRUE\"\n"
                                   "cell D4" + s + "\"line\\r\\nbreak\\ttab\"\n"
                                   "cols A:E 20.0 custom hidden=False\n"
                                   "ignored A1:F5 emptyCellReference,evalError,formula,formulaRange,"
                                   "listDataValidation,numberStoredAsText,twoDigitTextYear,unlockedFormula\n";
  EXPECT_READ_BACK(path, expected);
}

TEST(RoundTrip, ControlCharactersAndLiteralEscapes) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path("control.xlsx");
  {
    BookGuard book;
    SheetHandle sheet = xlBookInsertSheetA(book, 0, "Sheet1", nullptr);
    xlSheetWriteStrA(sheet, 0, 0, "bell\x07here", nullptr);
    xlSheetWriteStrA(sheet, 0, 1, "_x0041_", nullptr);
    ASSERT_EQ(xlBookSaveA(book, path.c_str()), 1);
  }
  // openpyxl does not decode _xHHHH_ escapes (Excel and LibreOffice do), so
  // it shows the escape of the bell; the literal _x0041_ comes back as written.
  EXPECT_READ_BACK(path,
                   "sheets [\"Sheet1\"]\n"
                   "cell A1 s None/None/None/None \"bell_x0007_here\"\n"
                   "cell B1 s None/None/None/None \"_x0041_\"\n");
}

TEST(RoundTrip, WritesInAnyOrderWithColumnsAndSeveralSheets) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path("order.xlsx");
  {
    BookGuard book;
    SheetHandle second = xlBookInsertSheetA(book, 0, "second", nullptr);
    SheetHandle first = xlBookInsertSheetA(book, 0, gbk(u8"第一").c_str(), nullptr);
    xlSheetWriteStrA(second, 0, 0, "other sheet", nullptr);
    xlSheetWriteStrA(first, 2, 1, "late", nullptr);
    xlSheetWriteStrA(first, 0, 3, "early", nullptr);
    xlSheetWriteStrA(first, 2, 1, "later", nullptr);
    xlSheetSetColA(first, 0, 5, 12.5, nullptr, 0);
    xlSheetSetColA(first, 2, 2, 3, nullptr, 1);
    xlSheetAddIgnoredErrorA(first, 1, 1, 1, 1, 4);
    ASSERT_EQ(xlBookSaveA(book, path.c_str()), 1);
  }
  EXPECT_READ_BACK(path, u8s(u8"sheets [\"第一\", \"second\"]\n") +
                                 "cell D1 s None/None/None/None \"early\"\n"
                                 "cell B3 s None/None/None/None \"later\"\n"
                                 "cols A:B 12.5 custom hidden=False\n"
                                 "cols C:C 3.0 custom hidden=True\n"
                                 "cols D:F 12.5 custom hidden=False\n"
                                 "ignored B2 numberStoredAsText\n");
}

// Enough string cells that the shared strings are made and deflated on a
// thread of their own: openpyxl (whose zip reader checks every entry's
// checksum) and our own reader read every cell back.
TEST(RoundTrip, LargeWorkbookWithItsStringsDeflatedBeside) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path("large.xlsx");
  constexpr int kRows = 3000;
  // Formatted with snprintf: MinGW's GCC 12 warns falsely on string sums.
  const auto text_of = [](int row, int column, bool utf8) {
    char text[64];
    if (column == 0) {
      std::snprintf(text, sizeof text, "%s%d", utf8 ? u8s(u8"城市").c_str() : gbk(u8"城市").c_str(), row % 7);
    } else {
      std::snprintf(text, sizeof text, "r%dc%d", row, column);
    }
    return std::string(text);
  };
  std::string expected = "sheets [\"large\"]\n";
  {
    BookGuard book;
    SheetHandle sheet = xlBookInsertSheetA(book, 0, "large", nullptr);
    ASSERT_NE(sheet, nullptr);
    for (int row = 0; row < kRows; ++row) {
      for (int column = 0; column < 3; ++column) {
        ASSERT_TRUE(xlSheetWriteStrA(sheet, row, column, text_of(row, column, false).c_str(), nullptr));
        char cell[32];
        std::snprintf(cell, sizeof cell, "cell %c%d", 'A' + column, row + 1);
        expected.append(cell).append(" s None/None/None/None \"").append(text_of(row, column, true)).append("\"\n");
      }
    }
    ASSERT_EQ(xlBookSaveA(book, path.c_str()), 1);
  }
  {
    BookGuard loaded;
    ASSERT_EQ(xlBookLoadA(loaded, path.c_str()), 1);
    SheetHandle sheet = xlBookGetSheetA(loaded, 0);
    ASSERT_EQ(xlSheetLastRowA(sheet), kRows);
    for (int row = 0; row < kRows; row += 7) {
      for (int column = 0; column < 3; ++column) {
        const char* text = xlSheetReadStrA(sheet, row, column, nullptr);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::string(text), text_of(row, column, false)) << row << "," << column;
      }
    }
  }
  EXPECT_READ_BACK(path, expected);
}

}  // namespace
