#include "export/group_workbook.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/memory/memory_controls.h"
#include "support/gbk_literal.h"
#include "support/recording_library.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// One group's workbook made, filled and saved, the save waited for: true
// when it succeeded (false, without a save, for an incomplete workbook).
bool write_group_workbook(ListView& rows, ProgressBar& progress, Worker& worker, const std::vector<Text>& headers,
                          const Text& sheet_name, std::optional<int> column_width, const Text& path) {
  GroupWorkbook workbook(rows, progress, headers, sheet_name, column_width);
  workbook.start_saving(worker, path);
  return workbook.finish_saving();
}

class GroupWorkbookTest : public ::testing::Test {
 protected:
  // Three list columns; item 1 has an empty cell in column 1.
  GroupWorkbookTest() {
    for (const char* title : {"c0", "c1", "c2"}) rows.append_column(title);
    for (int item = 0; item < 2; ++item) {
      rows.append_row();
      for (int column = 0; column < 3; ++column) {
        if (item == 1 && column == 1) continue;
        std::string text = "r0c0";
        text[1] = static_cast<char>('0' + item);
        text[3] = static_cast<char>('0' + column);
        rows.set_cell_text(item, column, text);
      }
    }
  }

  testing::RecordingLibrary library;
  testing::RecordingProgressBar progress{library};
  testing::RecordingWorker worker{library};
  MemoryListView rows;
};

TEST_F(GroupWorkbookTest, MakesTheLibraryCallsInOrderWithTheirArguments) {
  // Two header texts for three list columns: the third column is not written.
  EXPECT_TRUE(write_group_workbook(rows, progress, worker, {"h0", ""}, "sheet", 20, "D:\\out\\g.xlsx"));
  EXPECT_THAT(library.calls,
              ElementsAre("xlCreateXMLBookCA() -> book1", "xlBookSheetCountA(book1)",
                          "xlBookInsertSheetA(book1, 0, \"sheet\", null)", "xlBookAddFormatA(book1, null)",
                          "xlFormatSetBorderA(format, 1)", "xlSheetWriteStrA(sheet1, 0, 0, \"h0\", format)",
                          "xlSheetWriteStrA(sheet1, 0, 1, null, format)", "set_position(0)", "set_maximum(2)",
                          "xlSheetWriteStrA(sheet1, 1, 0, \"r0c0\", format)",
                          "xlSheetWriteStrA(sheet1, 1, 1, \"r0c1\", format)", "set_position(1)",
                          "xlSheetWriteStrA(sheet1, 2, 0, \"r1c0\", format)",
                          "xlSheetWriteStrA(sheet1, 2, 1, null, format)", "set_position(2)",
                          "xlSheetAddIgnoredErrorA(sheet1, 0, 0, 3, 3, 255)",
                          "xlSheetSetColA(sheet1, 0, 2, 20, null, 0)", "worker {", "xlBookSaveA(book1, \"D:\\out\\g.xlsx\")", "} worker",
                          "xlBookReleaseA(book1)"));
  EXPECT_EQ(progress.maximum(), 2);
  EXPECT_EQ(progress.position(), 2);
}

TEST_F(GroupWorkbookTest, WidthDefaultsTo19AndExtraHeadersGetEmptyCells) {
  write_group_workbook(rows, progress, worker, {"a", "b", "c", "d"}, "s", std::nullopt, "p.xlsx");
  EXPECT_THAT(library.calls_starting_with("xlSheetSetColA"), ElementsAre("xlSheetSetColA(sheet1, 0, 4, 19, null, 0)"));
  EXPECT_THAT(library.calls_starting_with("xlSheetWriteStrA(sheet1, 1, 3"),
              ElementsAre("xlSheetWriteStrA(sheet1, 1, 3, null, format)"));
  EXPECT_THAT(library.calls_starting_with("xlSheetAddIgnoredErrorA"),
              ElementsAre("xlSheetAddIgnoredErrorA(sheet1, 0, 0, 3, 5, 255)"));
}

TEST_F(GroupWorkbookTest, GroupsBeyondTheBarsRangeAreSpreadOverTheBar) {
  library.log_cells = false;
  MemoryListView many;
  many.append_column("n");
  constexpr int kRows = 50'000;
  for (int item = 0; item < kRows; ++item) many.append_row();
  EXPECT_TRUE(write_group_workbook(many, progress, worker, {"n"}, "s", 20, "p.xlsx"));
  const std::vector<std::string> positions = library.calls_starting_with("set_position");
  ASSERT_EQ(positions.size(), static_cast<std::size_t>(kRows) + 1);
  EXPECT_EQ(positions[kRows / 2], "set_position(" + std::to_string(ProgressBar::kLargestValue / 2) + ")");
  EXPECT_EQ(positions.back(), "set_position(" + std::to_string(ProgressBar::kLargestValue) + ")");
}

TEST_F(GroupWorkbookTest, RowsSourceWithoutItemsGivesTheHeaderRowOnly) {
  MemoryListView empty;
  EXPECT_TRUE(write_group_workbook(empty, progress, worker, {"a", "b"}, "s", 20, "p.xlsx"));
  EXPECT_THAT(library.calls_starting_with("set_"), ElementsAre("set_position(0)", "set_maximum(0)"));
  EXPECT_THAT(library.calls_starting_with("xlSheetWriteStrA"),
              ElementsAre("xlSheetWriteStrA(sheet1, 0, 0, \"a\", format)",
                          "xlSheetWriteStrA(sheet1, 0, 1, \"b\", format)"));
  EXPECT_THAT(library.calls_starting_with("xlSheetAddIgnoredErrorA"),
              ElementsAre("xlSheetAddIgnoredErrorA(sheet1, 0, 0, 1, 3, 255)"));
}

TEST_F(GroupWorkbookTest, EmptyHeaderArrayWritesNoCellButStillSaves) {
  EXPECT_TRUE(write_group_workbook(rows, progress, worker, {}, "s", 20, "p.xlsx"));
  EXPECT_THAT(library.calls_starting_with("xlSheetWriteStrA"), IsEmpty());
  EXPECT_THAT(library.calls_starting_with("xlSheetAddIgnoredErrorA"),
              ElementsAre("xlSheetAddIgnoredErrorA(sheet1, 0, 0, 3, 1, 255)"));
  EXPECT_THAT(library.calls_starting_with("xlSheetSetColA"), ElementsAre("xlSheetSetColA(sheet1, 0, 0, 20, null, 0)"));
  EXPECT_EQ(library.saved.size(), 1u);
}

TEST_F(GroupWorkbookTest, FailedSaveReturnsFalseAndStillReleases) {
  library.save_result = [](const std::string&) { return 0; };
  EXPECT_FALSE(write_group_workbook(rows, progress, worker, {"a"}, "s", 20, "p.xlsx"));
  EXPECT_EQ(library.calls.back(), "xlBookReleaseA(book1)");
}

TEST_F(GroupWorkbookTest, RefusedSheetNameFallsBackToTheCleanedName) {
  write_group_workbook(rows, progress, worker, {"a"}, "a/b", 20, "p.xlsx");
  EXPECT_THAT(library.calls_starting_with("xlBookInsertSheetA"),
              ElementsAre("xlBookInsertSheetA(book1, 0, \"a/b\", null) -> null",
                          "xlBookInsertSheetA(book1, 0, \"a_b\", null)"));
  ASSERT_EQ(library.saved.size(), 1u);
  EXPECT_EQ(library.saved[0].sheet_name, "a_b");

  library.calls.clear();
  write_group_workbook(rows, progress, worker, {"a"}, "", 20, "p.xlsx");
  EXPECT_THAT(library.calls_starting_with("xlBookInsertSheetA"),
              ElementsAre("xlBookInsertSheetA(book2, 0, null, null) -> null",
                          "xlBookInsertSheetA(book2, 0, \"" + gbk(u8"(空白)") + "\", null)"));
}

TEST_F(GroupWorkbookTest, SheetThatCannotBeCreatedIsNeverWrittenInto) {
  library.refuses_sheet_name = [](const char*) { return true; };
  EXPECT_FALSE(write_group_workbook(rows, progress, worker, {"a"}, "s", 20, "p.xlsx"));
  EXPECT_THAT(library.calls,
              ElementsAre("xlCreateXMLBookCA() -> book1", "xlBookSheetCountA(book1)",
                          "xlBookInsertSheetA(book1, 0, \"s\", null) -> null",
                          "xlBookInsertSheetA(book1, 0, \"s\", null) -> null", "xlBookReleaseA(book1)"));
}

TEST_F(GroupWorkbookTest, RefusedCellMeansTheWorkbookIsNotSaved) {
  library.write_result = [](int row, int column, const std::optional<std::string>&) {
    return row == 1 && column == 0 ? 0 : 1;
  };
  EXPECT_FALSE(write_group_workbook(rows, progress, worker, {"a"}, "s", 20, "p.xlsx"));
  EXPECT_TRUE(library.saved.empty());
  EXPECT_TRUE(library.calls_starting_with("xlBookSaveA").empty());
  EXPECT_EQ(library.calls.back(), "xlBookReleaseA(book1)");
}

}  // namespace
}  // namespace colsplit
