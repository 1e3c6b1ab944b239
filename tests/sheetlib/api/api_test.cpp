// The C interface's handles and results: what each call refuses, and that a
// refusal changes nothing.
#include <gtest/gtest.h>

#include <string>

#include "sheetlib/api/book_guard.h"
#include "sheetlib/sheetlib.h"
#include "sheetlib/support/scratch_folder.h"
#include "support/gbk_literal.h"

namespace {

using colsplit::testing::BookGuard;
using colsplit::testing::gbk;
using colsplit::testing::ScratchFolder;

TEST(NullHandles, EveryCallDoesNothingAndFails) {
  EXPECT_EQ(xlBookLoadA(nullptr, "x.xlsx"), 0);
  EXPECT_EQ(xlBookSaveA(nullptr, "x.xlsx"), 0);
  xlBookReleaseA(nullptr);
  EXPECT_EQ(xlBookGetSheetA(nullptr, 0), nullptr);
  EXPECT_EQ(xlBookSheetCountA(nullptr), 0);
  EXPECT_EQ(xlBookInsertSheetA(nullptr, 0, "Sheet1", nullptr), nullptr);
  EXPECT_EQ(xlBookAddFormatA(nullptr, nullptr), nullptr);
  xlFormatSetBorderA(nullptr, 1);
  EXPECT_EQ(xlSheetLastRowA(nullptr), 0);
  EXPECT_EQ(xlSheetLastColA(nullptr), 0);
  FormatHandle format = reinterpret_cast<FormatHandle>(1);
  EXPECT_EQ(xlSheetReadStrA(nullptr, 0, 0, &format), nullptr);
  EXPECT_EQ(format, nullptr);
  EXPECT_EQ(xlSheetWriteStrA(nullptr, 0, 0, "x", nullptr), 0);
  EXPECT_EQ(xlSheetAddIgnoredErrorA(nullptr, 0, 0, 1, 1, 255), 0);
  EXPECT_EQ(xlSheetSetColA(nullptr, 0, 1, 20, nullptr, 0), 0);
}

TEST(InsertSheet, RefusesNamesSpreadsheetApplicationsRefuse) {
  BookGuard book;
  ASSERT_NE(book.get(), nullptr);
  ASSERT_NE(xlBookInsertSheetA(book, 0, gbk(u8"北京").c_str(), nullptr), nullptr);
  ASSERT_NE(xlBookInsertSheetA(book, 1, "Sheet", nullptr), nullptr);
  const std::string refused[] = {
      "",
      std::string(32, 'x'),
      "a:b", "a\\b", "a/b", "a?b", "a*b", "a[b", "a]b",
      "'quoted", "quoted'",
      "line\nbreak",
      gbk(u8"北京"),  // already used
      "SHEET",       // already used, letter case ignored
      gbk(u8"数据[1]"),
  };
  for (const std::string& name : refused) {
    EXPECT_EQ(xlBookInsertSheetA(book, 2, name.c_str(), nullptr), nullptr) << name;
  }
  EXPECT_EQ(xlBookInsertSheetA(book, 2, nullptr, nullptr), nullptr);
  EXPECT_EQ(xlBookSheetCountA(book), 2);
}

TEST(InsertSheet, AcceptsLongChineseNamesAndKeepsTheOrder) {
  BookGuard book;
  std::string thirty_one;
  for (int i = 0; i < 31; ++i) thirty_one += gbk(u8"表");
  SheetHandle last = xlBookInsertSheetA(book, 0, thirty_one.c_str(), nullptr);
  ASSERT_NE(last, nullptr);
  SheetHandle first = xlBookInsertSheetA(book, 0, "a'b & c", nullptr);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(xlBookInsertSheetA(book, 3, "beyond the end", nullptr), nullptr);
  EXPECT_EQ(xlBookInsertSheetA(book, -1, "negative", nullptr), nullptr);
  EXPECT_EQ(xlBookSheetCountA(book), 2);
  EXPECT_EQ(xlBookGetSheetA(book, 0), first);
  EXPECT_EQ(xlBookGetSheetA(book, 1), last);
  EXPECT_EQ(xlBookGetSheetA(book, 2), nullptr);
  EXPECT_EQ(xlBookGetSheetA(book, -1), nullptr);
}

TEST(InsertSheet, CopiesASheetOfTheSameBook) {
  BookGuard book;
  BookGuard other;
  SheetHandle original = xlBookInsertSheetA(book, 0, "original", nullptr);
  xlSheetWriteStrA(original, 0, 0, "kept", nullptr);
  SheetHandle copy = xlBookInsertSheetA(book, 1, "copy", original);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(xlSheetReadStrA(copy, 0, 0, nullptr), "kept");
  EXPECT_EQ(xlBookInsertSheetA(other, 0, "foreign", original), nullptr);
  EXPECT_EQ(xlBookSheetCountA(other), 0);
}

TEST(WrittenSheet, ReadsBackWhatWasWritten) {
  BookGuard book;
  SheetHandle sheet = xlBookInsertSheetA(book, 0, "s", nullptr);
  FormatHandle border = xlBookAddFormatA(book, nullptr);
  xlFormatSetBorderA(border, 1);
  const std::string beijing = gbk(u8"北京");
  EXPECT_EQ(xlSheetWriteStrA(sheet, 3, 2, beijing.c_str(), border), 1);
  EXPECT_EQ(xlSheetWriteStrA(sheet, 0, 0, "first", nullptr), 1);
  EXPECT_EQ(xlSheetWriteStrA(sheet, 0, 0, "replaced", nullptr), 1);
  EXPECT_EQ(xlSheetWriteStrA(sheet, 9, 9, nullptr, border), 1);  // formatted, no value
  EXPECT_EQ(xlSheetLastRowA(sheet), 4);
  EXPECT_EQ(xlSheetLastColA(sheet), 3);

  FormatHandle format = nullptr;
  EXPECT_EQ(std::string(xlSheetReadStrA(sheet, 3, 2, &format)), beijing);
  EXPECT_EQ(format, border);
  EXPECT_STREQ(xlSheetReadStrA(sheet, 0, 0, &format), "replaced");
  EXPECT_EQ(format, nullptr);
  EXPECT_EQ(xlSheetReadStrA(sheet, 9, 9, &format), nullptr);
  EXPECT_EQ(format, border);
  EXPECT_EQ(xlSheetReadStrA(sheet, 1, 1, nullptr), nullptr);
  EXPECT_EQ(xlSheetReadStrA(sheet, -1, 0, nullptr), nullptr);
}

TEST(WrittenSheet, RefusesCellsRangesAndFormatsOutsideIt) {
  BookGuard book;
  BookGuard other;
  SheetHandle sheet = xlBookInsertSheetA(book, 0, "s", nullptr);
  FormatHandle foreign = xlBookAddFormatA(other, nullptr);
  EXPECT_EQ(xlSheetWriteStrA(sheet, -1, 0, "x", nullptr), 0);
  EXPECT_EQ(xlSheetWriteStrA(sheet, 0, -1, "x", nullptr), 0);
  EXPECT_EQ(xlSheetWriteStrA(sheet, 1'048'576, 0, "x", nullptr), 0);
  EXPECT_EQ(xlSheetWriteStrA(sheet, 0, 16'384, "x", nullptr), 0);
  EXPECT_EQ(xlSheetWriteStrA(sheet, 1'048'575, 16'383, "x", nullptr), 1);
  EXPECT_EQ(xlSheetWriteStrA(sheet, 0, 0, "x", foreign), 0);
  // The longest text a cell holds is 32,767 characters, whatever their bytes.
  EXPECT_EQ(xlSheetWriteStrA(sheet, 1, 0, std::string(32'767, 'x').c_str(), nullptr), 1);
  EXPECT_EQ(xlSheetWriteStrA(sheet, 1, 1, std::string(32'768, 'x').c_str(), nullptr), 0);
  std::string chinese;
  for (int i = 0; i < 32'767; ++i) chinese += gbk(u8"表");
  EXPECT_EQ(xlSheetWriteStrA(sheet, 1, 2, chinese.c_str(), nullptr), 1);
  EXPECT_EQ(xlSheetWriteStrA(sheet, 1, 3, (chinese + "x").c_str(), nullptr), 0);
  EXPECT_EQ(xlSheetReadStrA(sheet, 1, 3, nullptr), nullptr);
  EXPECT_EQ(xlBookAddFormatA(book, foreign), nullptr);

  EXPECT_EQ(xlSheetAddIgnoredErrorA(sheet, 0, 0, 5, 5, 0), 0);    // no kind of error
  EXPECT_EQ(xlSheetAddIgnoredErrorA(sheet, 0, 0, 5, 5, 256), 0);  // none of the eight
  EXPECT_EQ(xlSheetAddIgnoredErrorA(sheet, 5, 0, 4, 5, 255), 0);  // reversed
  EXPECT_EQ(xlSheetAddIgnoredErrorA(sheet, 0, -1, 4, 5, 255), 0);
  EXPECT_EQ(xlSheetAddIgnoredErrorA(sheet, 0, 0, 4, 5, 255), 1);

  EXPECT_EQ(xlSheetSetColA(sheet, 3, 2, 20, nullptr, 0), 0);
  EXPECT_EQ(xlSheetSetColA(sheet, -1, 2, 20, nullptr, 0), 0);
  EXPECT_EQ(xlSheetSetColA(sheet, 0, 16'384, 20, nullptr, 0), 0);
  EXPECT_EQ(xlSheetSetColA(sheet, 0, 2, -1, nullptr, 0), 0);
  EXPECT_EQ(xlSheetSetColA(sheet, 0, 2, 256, nullptr, 0), 0);
  EXPECT_EQ(xlSheetSetColA(sheet, 0, 2, 20, foreign, 0), 0);
  EXPECT_EQ(xlSheetSetColA(sheet, 0, 2, 20, nullptr, 1), 1);
}

TEST(ReadStr, TextStaysValidUntilTheNextCallOnTheBook) {
  BookGuard book;
  SheetHandle sheet = xlBookInsertSheetA(book, 0, "s", nullptr);
  xlSheetWriteStrA(sheet, 0, 0, "one", nullptr);
  xlSheetWriteStrA(sheet, 0, 1, "two", nullptr);
  const char* first = xlSheetReadStrA(sheet, 0, 0, nullptr);
  const std::string copy = first;
  EXPECT_EQ(copy, "one");
  EXPECT_STREQ(xlSheetReadStrA(sheet, 0, 1, nullptr), "two");
}

TEST(Load, FailuresKeepWhatTheBookHeld) {
  ScratchFolder folder;
  const std::string not_a_workbook = folder.gbk_path("notes.xlsx");
  {
    std::FILE* file = std::fopen(not_a_workbook.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("PK\x03\x04 but not really a zip", file);
    std::fclose(file);
  }
  BookGuard book;
  SheetHandle sheet = xlBookInsertSheetA(book, 0, "s", nullptr);
  xlSheetWriteStrA(sheet, 0, 0, "kept", nullptr);
  EXPECT_EQ(xlBookLoadA(book, folder.gbk_path("missing.xlsx").c_str()), 0);
  EXPECT_EQ(xlBookLoadA(book, not_a_workbook.c_str()), 0);
  EXPECT_EQ(xlBookLoadA(book, folder.gbk_path().c_str()), 0);  // a folder
  EXPECT_EQ(xlBookLoadA(book, nullptr), 0);
  EXPECT_EQ(xlBookLoadA(book, ""), 0);
  EXPECT_EQ(xlBookSheetCountA(book), 1);
  EXPECT_EQ(xlBookGetSheetA(book, 0), sheet);
  EXPECT_STREQ(xlSheetReadStrA(sheet, 0, 0, nullptr), "kept");
}

}  // namespace
