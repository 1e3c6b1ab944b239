// Loading through the C interface: the first worksheet of a workbook becomes
// the book's one sheet, read cell by cell as GBK texts.
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

std::string read(SheetHandle sheet, int row, int column) {
  const char* text = xlSheetReadStrA(sheet, row, column, nullptr);
  return text ? std::string(text) : std::string("(null)");
}

// Texts that must come back exactly as they were written.
std::vector<std::string> awkward_texts() {
  return {gbk(u8"北京"), "007", "=1+1", "a & <b>", "bell\x07here", "_x0041_", "line\r\nbreak\ttab", " padded ",
          gbk(u8"（空白）表\\")};
}

TEST(Load, ReadsBackWhatTheWriterWrote) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path(folder.holds_chinese_names() ? gbk(u8"往返.xlsx") : "round-trip.xlsx");
  const std::vector<std::string> texts = awkward_texts();
  {
    BookGuard book;
    SheetHandle sheet = xlBookInsertSheetA(book, 0, gbk(u8"北京").c_str(), nullptr);
    FormatHandle border = xlBookAddFormatA(book, nullptr);
    xlFormatSetBorderA(border, 1);
    for (int i = 0; i < static_cast<int>(texts.size()); ++i) {
      xlSheetWriteStrA(sheet, i, 0, texts[i].c_str(), border);
      xlSheetWriteStrA(sheet, i, 2, nullptr, border);  // bordered, no value
    }
    xlSheetWriteStrA(sheet, 20, 5, nullptr, border);  // formatting only: not part of the extent
    ASSERT_EQ(xlBookSaveA(book, path.c_str()), 1);
  }
  BookGuard loaded;
  ASSERT_EQ(xlBookLoadA(loaded, path.c_str()), 1);
  ASSERT_EQ(xlBookSheetCountA(loaded), 1);
  SheetHandle sheet = xlBookGetSheetA(loaded, 0);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(xlSheetLastRowA(sheet), static_cast<int>(texts.size()));
  EXPECT_EQ(xlSheetLastColA(sheet), 1);
  for (int i = 0; i < static_cast<int>(texts.size()); ++i) {
    EXPECT_EQ(read(sheet, i, 0), texts[i]) << "row " << i;
    EXPECT_EQ(read(sheet, i, 2), "(null)") << "row " << i;
  }
  EXPECT_EQ(read(sheet, 99, 99), "(null)");
}

TEST(Load, LoadedBookIsReadOnly) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path("source.xlsx");
  {
    BookGuard book;
    xlSheetWriteStrA(xlBookInsertSheetA(book, 0, "source", nullptr), 0, 0, "cell", nullptr);
    ASSERT_EQ(xlBookSaveA(book, path.c_str()), 1);
  }
  BookGuard book;
  SheetHandle earlier = xlBookInsertSheetA(book, 0, "earlier", nullptr);
  ASSERT_EQ(xlBookLoadA(book, path.c_str()), 1);
  EXPECT_EQ(xlBookSheetCountA(book), 1);
  SheetHandle sheet = xlBookGetSheetA(book, 0);
  EXPECT_NE(sheet, earlier);
  EXPECT_EQ(read(sheet, 0, 0), "cell");
  // Only the texts of the cells were kept: writing them back would lose the
  // rest of the file, so the loaded book takes no changes and is not saved.
  EXPECT_EQ(xlSheetWriteStrA(sheet, 1, 0, "x", nullptr), 0);
  EXPECT_EQ(xlBookInsertSheetA(book, 1, "more", nullptr), nullptr);
  EXPECT_EQ(xlBookSaveA(book, folder.gbk_path("copy.xlsx").c_str()), 0);
  // A sheet handle from before the load still works on its own sheet.
  EXPECT_EQ(xlSheetWriteStrA(earlier, 0, 0, "still usable", nullptr), 1);
}

TEST(Load, WorkbookWrittenByOpenpyxl) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path("openpyxl.xlsx");
  const std::optional<std::string> output = colsplit::testing::run_python("make_openpyxl_book.py", path);
  if (!output) GTEST_SKIP() << "Python with openpyxl cannot be started from here";
  ASSERT_EQ(*output, "");

  BookGuard book;
  ASSERT_EQ(xlBookLoadA(book, path.c_str()), 1);
  // Both sheets are listed by name; only the first holds its cells.
  ASSERT_EQ(xlBookSheetCountA(book), 2);
  EXPECT_EQ(std::string(xlSheetNameA(xlBookGetSheetA(book, 1))), "second");
  EXPECT_EQ(xlSheetLastRowA(xlBookGetSheetA(book, 1)), 0);
  SheetHandle sheet = xlBookGetSheetA(book, 0);
  EXPECT_EQ(std::string(xlSheetNameA(sheet)), gbk(u8"数据"));
  EXPECT_EQ(xlSheetLastRowA(sheet), 3);
  EXPECT_EQ(xlSheetLastColA(sheet), 3);
  EXPECT_EQ(read(sheet, 0, 0), gbk(u8"城市"));
  EXPECT_EQ(read(sheet, 1, 0), gbk(u8"北京"));
  EXPECT_EQ(read(sheet, 1, 1), "12");
  EXPECT_EQ(read(sheet, 1, 2), "0.5");
  EXPECT_EQ(read(sheet, 2, 0), "007");
  EXPECT_EQ(read(sheet, 2, 1), "(null)");
  EXPECT_EQ(read(sheet, 2, 2), "TRUE");
  EXPECT_EQ(xlSheetCellTypeA(sheet, 1, 1), 1);
  EXPECT_EQ(xlSheetReadNumA(sheet, 1, 2, nullptr), 0.5);
  EXPECT_EQ(xlSheetCellTypeA(sheet, 2, 0), 2);
  EXPECT_EQ(xlSheetCellTypeA(sheet, 2, 1), 0);
  EXPECT_EQ(xlSheetReadBoolA(sheet, 2, 2, nullptr), 1);

  ASSERT_EQ(xlBookLoadSheetA(book, path.c_str(), 1), 1);
  EXPECT_EQ(read(xlBookGetSheetA(book, 1), 0, 0), "not read");
  EXPECT_EQ(xlSheetLastRowA(xlBookGetSheetA(book, 0)), 0);
  EXPECT_EQ(xlBookLoadSheetA(book, path.c_str(), 2), 0);
}

}  // namespace
