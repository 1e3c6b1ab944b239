// The choices of the preview list's context menu, through the real library:
// another sheet, a heading row below a merged title, numbers kept typed,
// one workbook of sheets; the written workbook read back with the library.
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/memory/memory_controls.h"
#include "export/export_run.h"
#include "export/group_workbook.h"
#include "load/file_intake.h"
#include "load/sheet_choices.h"
#include "support/gbk_literal.h"
#include "support/recording_library.h"
#include "support/temp_folder.h"
#include "text/encoding.h"
#include "xl/library_calls.h"
#include "xl/owned_book.h"
#include "xl/workbook_provisioning.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;
using ::testing::ElementsAre;

class SplitChoicesTest : public ::testing::Test {
 protected:
  // A note sheet, then the data under a title merged across its columns:
  //   标题 (A1:C1)
  //   城市   金额        日期
  //   北京   1234.5     45000 (yyyy-mm-dd)
  //   上海   TRUE       "007"
  //   北京   -2         45001
  bool write_input() {
    const xl::OwnedBook owned_book(xl::create_workbook());
    const xl::BookHandle book = owned_book.get();
    if (!book) return false;
    const xl::SheetHandle note = xl::xlBookInsertSheetA(book, 0, gbk(u8"说明"), nullptr);
    xl::xlSheetWriteStrA(note, 0, 0, gbk(u8"见下一个工作表"), nullptr);
    const xl::SheetHandle sheet = xl::xlBookInsertSheetA(book, 1, gbk(u8"数据"), nullptr);
    const xl::FormatHandle amount = xl::xlBookAddFormatA(book, nullptr);
    xl::xlFormatSetNumFormatA(amount, xl::xlBookAddCustomNumFormatA(book, "#,##0.00"));
    const xl::FormatHandle date = xl::xlBookAddFormatA(book, nullptr);
    xl::xlFormatSetNumFormatA(date, xl::xlBookAddCustomNumFormatA(book, "yyyy-mm-dd"));
    xl::xlSheetWriteStrA(sheet, 0, 0, gbk(u8"标题"), nullptr);
    xl::xlSheetSetMergeA(sheet, 0, 0, 0, 2);
    const Text headings[] = {gbk(u8"城市"), gbk(u8"金额"), gbk(u8"日期")};
    for (int column = 0; column < 3; ++column) xl::xlSheetWriteStrA(sheet, 1, column, headings[column], nullptr);
    xl::xlSheetWriteStrA(sheet, 2, 0, gbk(u8"北京"), nullptr);
    xl::xlSheetWriteNumA(sheet, 2, 1, 1234.5, amount);
    xl::xlSheetWriteNumA(sheet, 2, 2, 45000, date);
    xl::xlSheetWriteStrA(sheet, 3, 0, gbk(u8"上海"), nullptr);
    xl::xlSheetWriteBoolA(sheet, 3, 1, 1, nullptr);
    xl::xlSheetWriteStrA(sheet, 3, 2, "007", nullptr);
    xl::xlSheetWriteStrA(sheet, 4, 0, gbk(u8"北京"), nullptr);
    xl::xlSheetWriteNumA(sheet, 4, 1, -2, amount);
    xl::xlSheetWriteNumA(sheet, 4, 2, 45001, date);
    xl::xlSheetSetColA(sheet, 1, 1, 14.5, nullptr, 0);
    const bool saved = xl::xlBookSaveA(book, input()) == 1;
    return saved;
  }
  Text input() const { return temp.text() + "/in.xlsx"; }
  std::vector<Text> titles() const {
    std::vector<Text> result;
    for (int column = 0; column < window.超级列表框1.column_count(); ++column) {
      result.push_back(window.超级列表框1.column_heading(column));
    }
    return result;
  }

  testing::TempFolder temp;
  testing::RecordingDialogs dialogs;
  testing::FixedClock clock;
  MemoryMainWindow window{dialogs, clock};
  MainWindow view = window.view();
};

TEST_F(SplitChoicesTest, SheetHeadingRowTypesAndOneWorkbookOfSheets) {
  if (!write_input()) GTEST_SKIP() << "the spreadsheet library cannot write";
  ASSERT_EQ(take_dropped_files(view, input()), DropOutcome::loaded);
  EXPECT_THAT(titles(), ElementsAre(gbk(u8"见下一个工作表")));
  EXPECT_THAT(worksheet_names(view), ElementsAre(gbk(u8"说明"), gbk(u8"数据")));

  ASSERT_EQ(choose_sheet(view, 1), DropOutcome::loaded);
  EXPECT_THAT(titles(), ElementsAre(gbk(u8"标题"), "", ""));
  EXPECT_TRUE(headings_look_like_a_title(window.超级列表框1, window.session.source));

  // The row of the headings, list row 0, becomes the heading row.
  ASSERT_TRUE(set_heading_row(view, 0));
  EXPECT_THAT(titles(), ElementsAre(gbk(u8"城市"), gbk(u8"金额"), gbk(u8"日期")));
  EXPECT_EQ(window.超级列表框1.row_count(), 3);
  EXPECT_EQ(window.组合框1.item_count(), 3);
  EXPECT_EQ(window.session.source.heading_row, 1);
  EXPECT_THAT(window.session.source.title_rows, ElementsAre(ElementsAre(gbk(u8"标题"), "", "")));
  EXPECT_THAT(window.session.source.merged, ElementsAre(MergedCells{0, 0, 0, 2}));
  EXPECT_FALSE(headings_look_like_a_title(window.超级列表框1, window.session.source));
  EXPECT_FALSE(set_heading_row(view, 3));  // past the last row: nothing changes
  EXPECT_EQ(window.超级列表框1.row_count(), 3);

  // Keeping the types reads the values; the chosen heading stays chosen.
  ASSERT_TRUE(window.组合框1.select(0));
  set_keep_format(view, true);
  EXPECT_TRUE(window.session.source.typed);
  EXPECT_EQ(window.组合框1.current_selection(), 0);
  EXPECT_EQ(window.session.source.heading_row, 1);
  EXPECT_EQ(window.超级列表框1.cell_text(0, 1), "1,234.50");

  // CSV carries no format: the sheet is read as it shows while CSV is on,
  // with its look again once it is off, and as it shows without the choice.
  set_csv(view, true);
  EXPECT_FALSE(window.session.source.typed);
  set_csv(view, false);
  EXPECT_TRUE(window.session.source.typed);
  EXPECT_EQ(window.组合框1.current_selection(), 0);

  set_into_sheets(view, true);
  window.编辑框1.set_text(temp.text());
  const std::vector<PlannedGroup> planned = plan_export(view);
  ASSERT_EQ(planned.size(), 2u);
  EXPECT_EQ(planned[0].name, gbk(u8"北京"));
  EXPECT_EQ(planned[0].rows, 2);
  ASSERT_EQ(run_export(view), ExportOutcome::finished);

  const auto folder = temp.path() / u8"按_城市_分别导出";
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  std::vector<std::filesystem::path> written(std::filesystem::directory_iterator(folder), {});
  ASSERT_EQ(written.size(), 1u);
  const xl::OwnedBook owned_book(xl::create_workbook());
  const xl::BookHandle book = owned_book.get();
  ASSERT_EQ(xl::xlBookLoadA(book, utf8_to_gbk(written[0].string())), 1);
  ASSERT_EQ(xl::xlBookSheetCountA(book), 2);
  EXPECT_EQ(xl::xlSheetNameA(xl::xlBookGetSheetA(book, 1)), gbk(u8"上海"));
  const xl::SheetHandle beijing = xl::xlBookGetSheetA(book, 0);
  EXPECT_EQ(xl::xlSheetNameA(beijing), gbk(u8"北京"));
  int first_row = -1, last_row = -1, first_column = -1, last_column = -1;
  ASSERT_EQ(xl::xlSheetMergeA(beijing, 0, &first_row, &last_row, &first_column, &last_column), 1);
  EXPECT_EQ(std::vector<int>({first_row, last_row, first_column, last_column}), std::vector<int>({0, 0, 0, 2}));
  EXPECT_EQ(xl::xlSheetReadStrA(beijing, 0, 0, nullptr), gbk(u8"标题"));
  EXPECT_EQ(xl::xlSheetReadStrA(beijing, 1, 1, nullptr), gbk(u8"金额"));
  EXPECT_EQ(xl::xlSheetCellTypeA(beijing, 2, 1), xl::kNumberCell);
  xl::FormatHandle format = nullptr;
  EXPECT_EQ(xl::xlSheetReadNumA(beijing, 3, 1, &format), -2);
  EXPECT_EQ(xl::xlBookCustomNumFormatA(book, xl::xlFormatNumFormatA(format)), "#,##0.00");
  EXPECT_EQ(xl::xlSheetReadNumA(beijing, 2, 2, &format), 45000);
  EXPECT_EQ(xl::xlBookCustomNumFormatA(book, xl::xlFormatNumFormatA(format)), "yyyy-mm-dd");
  EXPECT_EQ(xl::xlSheetColWidthA(beijing, 1), 14.5);
  EXPECT_EQ(xl::xlSheetColWidthA(beijing, 0), 20);
  // A loaded book holds the cells of one sheet.
  ASSERT_EQ(xl::xlBookLoadSheetA(book, utf8_to_gbk(written[0].string()), 1), 1);
  const xl::SheetHandle shanghai = xl::xlBookGetSheetA(book, 1);
  EXPECT_EQ(xl::xlSheetCellTypeA(shanghai, 2, 1), xl::kBooleanCell);
  EXPECT_EQ(xl::xlSheetCellTypeA(shanghai, 2, 2), xl::kStringCell);  // "007" stays text
  EXPECT_EQ(xl::xlSheetReadStrA(shanghai, 2, 2, nullptr), "007");
}

// The sheets of one workbook need names that differ beyond letter case;
// a workbook of one sheet never numbers its name.
TEST_F(SplitChoicesTest, SheetNamesOfOneWorkbookAreDistinct) {
  if (!xl::OwnedBook(xl::create_workbook())) GTEST_SKIP() << "the spreadsheet library is not available";
  EXPECT_THAT(group_sheet_names({"abc", "ABC", "a:b", "a/b", "", gbk(u8"(空白)"),
                                 std::string(40, 'x'), std::string(35, 'x')}),
              ElementsAre("abc", "ABC (2)", "a_b", "a_b (2)", gbk(u8"(空白)"), gbk(u8"(空白) (2)"),
                          std::string(31, 'x'), std::string(27, 'x') + " (2)"));
}

}  // namespace
}  // namespace colsplit
