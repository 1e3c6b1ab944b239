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

using Grid = std::vector<std::vector<std::string>>;

class GroupWorkbookTest : public ::testing::Test {
 protected:
  // Three list columns; item 1 has an empty cell in column 1.
  GroupWorkbookTest() {
    for (const char* title : {"c0", "c1", "c2"}) rows.append_column(title);
    for (int item = 0; item < 2; ++item) {
      rows.append_row();
      for (int column = 0; column < 3; ++column) {
        if (item == 1 && column == 1) continue;
        // Built by appending: GCC 12 on i686 takes "r" + a temporary for an
        // overlapping copy (-Wrestrict).
        std::string text = "r";
        text += std::to_string(item);
        text += 'c';
        text += std::to_string(column);
        rows.set_cell_text(item, column, text);
      }
    }
  }
  // One group's workbook made, filled and saved: true when it was saved.
  bool write(ListView& source, const std::vector<Text>& headers, const Text& sheet_name,
             const Text& path = "p.xlsx") {
    return GroupWorkbook(source, progress, headers, sheet_name).save(path);
  }

  testing::RecordingLibrary library;
  testing::RecordingProgressBar progress;
  MemoryListView rows;
};

// The writer's calls for one group, as the library sees them.
TEST_F(GroupWorkbookTest, MakesTheLibraryCallsInOrderWithTheirArguments) {
  // Two header texts for three list columns: the third column is not written.
  EXPECT_TRUE(write(rows, {"h0", ""}, "sheet", "D:\\out\\g.xlsx"));
  EXPECT_THAT(library.calls,
              ElementsAre("xlCreateXMLBookCA() -> book1", "xlBookSheetCountA(book1)",
                          "xlBookInsertSheetA(book1, 0, \"sheet\", null)", "xlBookAddFormatA(book1, null)",
                          "xlFormatSetBorderA(format, 1)", "xlSheetWriteStrA(sheet1, 0, 0, \"h0\", format)",
                          "xlSheetWriteStrA(sheet1, 0, 1, null, format)",
                          "xlSheetWriteStrA(sheet1, 1, 0, \"r0c0\", format)",
                          "xlSheetWriteStrA(sheet1, 1, 1, \"r0c1\", format)",
                          "xlSheetWriteStrA(sheet1, 2, 0, \"r1c0\", format)",
                          "xlSheetWriteStrA(sheet1, 2, 1, null, format)",
                          "xlSheetAddIgnoredErrorA(sheet1, 0, 0, 3, 3, 255)",
                          "xlSheetSetColA(sheet1, 0, 2, 20, null, 0)", "xlBookSaveA(book1, \"D:\\out\\g.xlsx\")",
                          "xlBookReleaseA(book1)"));
  // The bar before the first row and after each.
  EXPECT_THAT(progress.positions, ElementsAre(0, 1, 2));
  EXPECT_EQ(progress.maximum(), 2);
}

// Every cell of the heading row and the rows is written (bordered), as wide
// as the headers; the ignored-error area reaches one row and two columns
// beyond them, the widths one column beyond.
TEST_F(GroupWorkbookTest, SheetIsAsWideAsTheHeadersAndAsLongAsTheRows) {
  MemoryListView no_rows;
  const struct {
    ListView* source;
    std::vector<Text> headers;
    Grid grid;
    std::size_t cells;
    const char* widths;
    const char* ignored;
  } cases[] = {
      {&rows, {"a", "b", "c", "d"}, {{"a", "b", "c", "d"}, {"r0c0", "r0c1", "r0c2", ""}, {"r1c0", "", "r1c2", ""}},
       12, "0-4:20", "0,0:3,5 255"},
      {&no_rows, {"a", "b"}, {{"a", "b"}}, 2, "0-2:20", "0,0:1,3 255"},
      {&rows, {}, {}, 0, "0-0:20", "0,0:3,1 255"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.headers.size());
    library.saved.clear();
    EXPECT_TRUE(write(*c.source, c.headers, "s"));
    ASSERT_EQ(library.saved.size(), 1u);
    const testing::SavedWorkbook& saved = library.saved[0];
    EXPECT_EQ(saved.grid(static_cast<int>(c.headers.size())), c.grid);
    EXPECT_EQ(saved.cells.size(), c.cells);
    EXPECT_THAT(saved.column_widths, ElementsAre(c.widths));
    EXPECT_THAT(saved.ignored_errors, ElementsAre(c.ignored));
    EXPECT_EQ(progress.position(), c.source->row_count());
    EXPECT_EQ(progress.maximum(), c.source->row_count());
  }
}

TEST_F(GroupWorkbookTest, GroupsBeyondTheBarsRangeAreSpreadOverTheBar) {
  library.log_cells = false;
  MemoryListView many;
  many.append_column("n");
  constexpr int kRows = 50'000;
  for (int item = 0; item < kRows; ++item) many.append_row();
  EXPECT_TRUE(write(many, {"n"}, "s"));
  ASSERT_EQ(progress.positions.size(), static_cast<std::size_t>(kRows) + 1);
  EXPECT_EQ(progress.positions[kRows / 2], ProgressBar::kLargestValue / 2);
  EXPECT_EQ(progress.positions.back(), ProgressBar::kLargestValue);
}

TEST_F(GroupWorkbookTest, RefusedSheetNameFallsBackToTheCleanedName) {
  write(rows, {"a"}, "a/b");
  write(rows, {"a"}, "");
  ASSERT_EQ(library.saved.size(), 2u);
  EXPECT_EQ(library.saved[0].sheet_name, "a_b");
  EXPECT_EQ(library.saved[1].sheet_name, gbk(u8"(空白)"));
}

// A workbook without its sheet (never written into: the stand-in would
// crash on a cell written to no sheet) or without one of its cells is never
// saved; a failed save is reported. The book is released either way.
TEST_F(GroupWorkbookTest, IncompleteOrUnsavedWorkbookIsReportedAndReleased) {
  for (int fault = 0; fault < 3; ++fault) {
    SCOPED_TRACE(fault);
    library.refuses_sheet_name = [&](const char*) { return fault == 0; };
    library.write_result = [&](int row, int column, const std::optional<std::string>&) {
      return fault == 1 && row == 1 && column == 0 ? 0 : 1;
    };
    library.save_result = [&](const std::string&) { return fault == 2 ? 0 : 1; };
    EXPECT_FALSE(write(rows, {"a"}, "s"));
    EXPECT_TRUE(library.saved.empty());
    EXPECT_EQ(library.books_released, library.books_created);
  }
}

}  // namespace
}  // namespace colsplit
