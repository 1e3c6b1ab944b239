#include "load/sheet_preview.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/memory/memory_controls.h"
#include "support/recording_library.h"

namespace colsplit {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class SheetPreviewTest : public ::testing::Test {
 protected:
  std::vector<std::vector<Text>> grid() const {
    std::vector<std::vector<Text>> cells;
    for (int row = 0; row < list.row_count(); ++row) {
      cells.emplace_back();
      for (int column = 0; column < list.column_count(); ++column) cells.back().push_back(list.cell_text(row, column));
    }
    return cells;
  }
  std::vector<Text> titles() const {
    std::vector<Text> result;
    for (int column = 0; column < list.column_count(); ++column) result.push_back(list.column_heading(column));
    return result;
  }

  testing::RecordingLibrary library;
  testing::RecordingProgressBar progress;
  testing::RecordingWorker worker{library};
  MemoryListView list;
};

// The plain drop's calls, as the library sees them: the load on the worker,
// so that the window keeps painting.
TEST_F(SheetPreviewTest, ReadsEveryCellOnceInOrderAndDrivesTheBarBeforeEachRow) {
  library.source = {{"a", std::nullopt}, {"1", "2"}, {std::nullopt, "4"}};
  ASSERT_EQ(load_sheet_preview(list, progress, worker, "D:\\in.xlsx"), 1);

  EXPECT_THAT(library.calls, ElementsAre("xlCreateXMLBookCA() -> book1", "worker {",
                                         "xlBookLoadA(book1, \"D:\\in.xlsx\")", "} worker",
                                         "xlBookGetSheetA(book1, 0)", "xlSheetLastRowA(sheet1)",
                                         "xlSheetLastColA(sheet1)", "xlSheetReadStrA(sheet1, 0, 0, null)",
                                         "xlSheetReadStrA(sheet1, 0, 1, null)", "xlSheetReadStrA(sheet1, 1, 0, null)",
                                         "xlSheetReadStrA(sheet1, 1, 1, null)", "xlSheetReadStrA(sheet1, 2, 0, null)",
                                         "xlSheetReadStrA(sheet1, 2, 1, null)", "xlBookReleaseA(book1)"));
  EXPECT_THAT(titles(), ElementsAre("a", ""));
  EXPECT_THAT(grid(), ElementsAre(ElementsAre("1", "2"), ElementsAre("", "4")));
  EXPECT_THAT(progress.positions, ElementsAre(0, 1, 2));
  EXPECT_EQ(progress.maximum(), 2);
  EXPECT_EQ(list.table().column(0)->width, 50);
}

// A load that fails, or a sheet over the cell limit (one cell more than it;
// at the limit the sheet would be read), leaves the list and the bar as they
// were and releases the book.
TEST_F(SheetPreviewTest, FailedLoadOrSheetOverTheCellLimitTouchesNothing) {
  library.source = {{"t"}, {"v"}};
  ASSERT_EQ(load_sheet_preview(list, progress, worker, "D:\\a.xlsx"), 1);
  progress.set_maximum(40);
  progress.set_position(7);

  library.load_result = 0;
  library.source = {{"other", "x"}};
  EXPECT_EQ(load_sheet_preview(list, progress, worker, "D:\\b.xlsx"), 0);

  library.load_result = 1;
  library.last_row = 10'000'001;
  library.last_column = 5;
  SheetExtents too_large;
  EXPECT_EQ(load_sheet_preview(list, progress, worker, "D:\\wide.xlsx", &too_large), 0);
  EXPECT_EQ(too_large.rows, 10'000'001);
  EXPECT_EQ(too_large.columns, 5);

  EXPECT_THAT(titles(), ElementsAre("t"));
  EXPECT_THAT(grid(), ElementsAre(ElementsAre("v")));
  EXPECT_EQ(progress.maximum(), 40);
  EXPECT_EQ(progress.position(), 7);
  EXPECT_EQ(library.books_released, library.books_created);
}

TEST_F(SheetPreviewTest, SecondLoadReplacesEveryColumnAndRow) {
  library.source = {{"a", "b", "c"}, {"1", "2", "3"}, {"4", "5", "6"}};
  load_sheet_preview(list, progress, worker, "D:\\a.xlsx");
  library.source = {{"x"}, {"9"}};
  load_sheet_preview(list, progress, worker, "D:\\b.xlsx");
  EXPECT_THAT(titles(), ElementsAre("x"));
  EXPECT_THAT(grid(), ElementsAre(ElementsAre("9")));
}

TEST_F(SheetPreviewTest, ExtentsComeFromTheLibraryNotFromTheHeaderRow) {
  // A header row shorter than the widest row: the extra columns exist with
  // empty titles. An empty first row gives empty titles throughout.
  library.source = {{}, {"1", "2", "3"}};
  load_sheet_preview(list, progress, worker, "D:\\a.xlsx");
  EXPECT_THAT(titles(), ElementsAre("", "", ""));
  EXPECT_THAT(grid(), ElementsAre(ElementsAre("1", "2", "3")));
}

TEST_F(SheetPreviewTest, HeaderOnlyAndEmptySheetsLeaveTheBarAtZero) {
  library.source = {{"a", "b"}};
  load_sheet_preview(list, progress, worker, "D:\\a.xlsx");
  EXPECT_THAT(titles(), ElementsAre("a", "b"));
  EXPECT_EQ(list.row_count(), 0);
  EXPECT_EQ(progress.maximum(), 0);
  EXPECT_EQ(progress.position(), 0);

  library.source = {};
  EXPECT_EQ(load_sheet_preview(list, progress, worker, "D:\\empty.xlsx"), 1);
  EXPECT_EQ(list.column_count(), 0);
  EXPECT_EQ(list.row_count(), 0);
  EXPECT_EQ(progress.maximum(), 0);
}

TEST_F(SheetPreviewTest, RowsBeyondTheBarsRangeAreAllLoadedAndSpreadOverTheBar) {
  library.log_cells = false;
  constexpr int kRows = 40'000;
  library.source.push_back({"n"});
  for (int i = 1; i < kRows; ++i) library.source.push_back({std::to_string(i)});
  load_sheet_preview(list, progress, worker, "D:\\big.xlsx");

  ASSERT_EQ(list.row_count(), kRows - 1);
  EXPECT_EQ(list.cell_text(kRows - 2, 0), std::to_string(kRows - 1));
  EXPECT_EQ(progress.maximum(), ProgressBar::kLargestValue);
  EXPECT_EQ(progress.position(), ProgressBar::kLargestValue);
  // The bar is full at the last row, half full at half the rows.
  EXPECT_EQ(progress.positions.size(), static_cast<std::size_t>(kRows));
  EXPECT_EQ(progress.positions[kRows / 2], ProgressBar::kLargestValue / 2);
}

}  // namespace
}  // namespace colsplit
