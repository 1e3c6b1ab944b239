#include "load/file_intake.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/gbk_literal.h"
#include "support/recording_library.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FileIntakeTest : public ::testing::Test {
 protected:
  FileIntakeTest() { library.source = {{gbk(u8"部门"), gbk(u8"姓名")}, {gbk(u8"销售"), gbk(u8"张三")}, {gbk(u8"研发"), gbk(u8"李四")}}; }

  std::vector<Text> headings() const {
    std::vector<Text> items;
    for (int i = 0; i < window.组合框1.item_count(); ++i) items.push_back(window.组合框1.item_text(i));
    return items;
  }
  std::vector<int> heading_values() const {
    std::vector<int> values;
    for (int i = 0; i < window.组合框1.item_count(); ++i) values.push_back(window.组合框1.item_value(i));
    return values;
  }
  std::vector<Text> staging_titles() const {
    std::vector<Text> titles;
    for (int i = 0; i < window.超级列表框2.column_count(); ++i) titles.push_back(window.超级列表框2.column_heading(i));
    return titles;
  }
  const Text& shown_file() const { return window.session.source.file_name; }

  testing::RecordingLibrary library;
  testing::RecordingDialogs dialogs;
  testing::FixedClock clock;
  MemoryMainWindow window{dialogs, clock};
  MainWindow view = window.view();
};

TEST_F(FileIntakeTest, AcceptedDropFillsHeadingsStagingColumnsAndFolder) {
  window.超级列表框2.insert_column(std::nullopt, "old", 50, ColumnAlignment::left);
  window.超级列表框2.append_row();
  on_file_dropped(view, gbk(u8"D:\\数据\\报表.xlsx"));

  EXPECT_EQ(shown_file(), gbk(u8"D:\\数据\\报表.xlsx"));
  EXPECT_THAT(headings(), ElementsAre(gbk(u8"部门"), gbk(u8"姓名")));
  EXPECT_THAT(heading_values(), ElementsAre(0, 1));
  EXPECT_EQ(window.组合框1.current_selection(), -1);
  EXPECT_EQ(window.组合框1.displayed_text(), "");
  EXPECT_THAT(staging_titles(), ElementsAre(gbk(u8"部门"), gbk(u8"姓名")));
  EXPECT_EQ(window.超级列表框2.row_count(), 0);
  EXPECT_EQ(window.超级列表框2.table().column(1)->width, 50);
  EXPECT_EQ(window.编辑框1.text(), gbk(u8"D:\\数据"));
  EXPECT_THAT(dialogs.messages, IsEmpty());
}

TEST_F(FileIntakeTest, WorkbookNameTestIgnoresLetterCaseAndLooksAtTheWholeName) {
  EXPECT_EQ(first_admitted_name("D:\\REPORT.XLSX"), "D:\\REPORT.XLSX");
  EXPECT_EQ(first_admitted_name("D:\\old.Xls"), "D:\\old.Xls");
  EXPECT_EQ(first_admitted_name("D:\\my.xfiles\\notes.txt"), "D:\\my.xfiles\\notes.txt");
  EXPECT_EQ(first_admitted_name("D:\\notes.txt"), "");
  EXPECT_EQ(first_admitted_name("D:\\x\\xlsx"), "");
  EXPECT_EQ(first_admitted_name(""), "");
}

TEST_F(FileIntakeTest, OfSeveralNamesTheFirstWorkbookIsTakenAsIfDroppedAlone) {
  EXPECT_EQ(first_admitted_name("C:\\a.txt\r\nD:\\b.XLSX\r\nE:\\c.xlsx\r\n"), "D:\\b.XLSX");
  EXPECT_EQ(first_admitted_name("C:\\a.txt\r\nC:\\b.doc\r\n"), "");
  EXPECT_EQ(first_admitted_name("C:\\a.xlsx\r\n"), "C:\\a.xlsx");

  on_file_dropped(view, "C:\\a.txt\r\nD:\\in\\b.xlsx\r\nE:\\c.xlsx\r\n");
  EXPECT_EQ(shown_file(), "D:\\in\\b.xlsx");
  EXPECT_EQ(window.编辑框1.text(), "D:\\in");
}

// 淺 is 9C 5C and 乗 is 81 5C: their trail byte is no separator.
TEST_F(FileIntakeTest, FolderEndsAtTheLastRealBackslash) {
  on_file_dropped(view, gbk(u8"D:\\表\\淺乗.xlsx"));
  EXPECT_EQ(window.编辑框1.text(), gbk(u8"D:\\表"));
}

TEST_F(FileIntakeTest, NameWithoutWorkbookExtensionChangesNothing) {
  window.编辑框1.set_text("C:\\kept");
  on_file_dropped(view, "D:\\notes.txt");
  EXPECT_EQ(take_dropped_files(view, "D:\\notes.txt\r\nD:\\b.doc\r\n"), DropOutcome::ignored);
  EXPECT_EQ(shown_file(), "");
  EXPECT_EQ(window.编辑框1.text(), "C:\\kept");
  EXPECT_THAT(dialogs.messages, IsEmpty());
}

TEST_F(FileIntakeTest, FailedLoadShowsTheNameAndKeepsTheWindowAsItWas) {
  on_file_dropped(view, "D:\\first\\a.xlsx");
  window.组合框1.select(1);
  window.编辑框1.set_text("C:\\chosen");

  library.load_result = 0;
  const Text broken = "D:\\my.xfiles\\notes.txt";
  EXPECT_EQ(take_dropped_files(view, broken), DropOutcome::load_failed);

  EXPECT_THAT(dialogs.messages, ElementsAre(gbk(u8"文件读取失败：") + "\r\n" + broken));
  EXPECT_THAT(headings(), ElementsAre(gbk(u8"部门"), gbk(u8"姓名")));
  EXPECT_EQ(window.组合框1.current_selection(), 1);
  EXPECT_THAT(staging_titles(), ElementsAre(gbk(u8"部门"), gbk(u8"姓名")));
  EXPECT_EQ(window.超级列表框1.row_count(), 2);
  EXPECT_EQ(window.编辑框1.text(), "C:\\chosen");
  EXPECT_EQ(library.books_released, library.books_created);
}

TEST_F(FileIntakeTest, SecondDropRebuildsEverythingAndClearsTheChoice) {
  on_file_dropped(view, "D:\\a.xlsx");
  window.组合框1.select(1);
  window.编辑框1.set_text("C:\\typed");
  library.source = {{gbk(u8"城市")}, {gbk(u8"北京")}};
  on_file_dropped(view, "E:\\b\\a.xlsx");

  EXPECT_THAT(headings(), ElementsAre(gbk(u8"城市")));
  EXPECT_EQ(window.组合框1.current_selection(), -1);
  EXPECT_THAT(staging_titles(), ElementsAre(gbk(u8"城市")));
  EXPECT_EQ(window.超级列表框1.row_count(), 1);
  EXPECT_EQ(window.编辑框1.text(), "E:\\b");
}

TEST_F(FileIntakeTest, EmptyAndRepeatedTitlesGiveOneItemPerColumn) {
  library.source = {{"a", std::nullopt, "a", ""}, {"1", "2", "3", "4"}};
  on_file_dropped(view, "D:\\a.xlsx");
  EXPECT_THAT(headings(), ElementsAre("a", "", "a", ""));
  EXPECT_THAT(heading_values(), ElementsAre(0, 1, 2, 3));
  EXPECT_THAT(staging_titles(), ElementsAre("a", "", "a", ""));
}

TEST_F(FileIntakeTest, HeaderOnlyAndEmptySheets) {
  library.source = {{gbk(u8"部门"), gbk(u8"姓名")}};
  on_file_dropped(view, "D:\\header.xlsx");
  EXPECT_THAT(headings(), ElementsAre(gbk(u8"部门"), gbk(u8"姓名")));
  EXPECT_EQ(window.超级列表框1.row_count(), 0);

  library.source = {};
  on_file_dropped(view, "D:\\empty.xlsx");
  EXPECT_THAT(headings(), IsEmpty());
  EXPECT_EQ(window.超级列表框1.column_count(), 0);
  EXPECT_EQ(window.超级列表框2.column_count(), 0);
  EXPECT_EQ(window.编辑框1.text(), "D:");
}

}  // namespace
}  // namespace colsplit
