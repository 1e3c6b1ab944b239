// Whole export runs through the real spreadsheet library, every written
// workbook read back with openpyxl.
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/memory/memory_controls.h"
#include "export/export_run.h"
#include "load/file_intake.h"
#include "export/workbook_dump.h"
#include "support/gbk_literal.h"
#include "support/recording_library.h"
#include "support/temp_folder.h"
#include "xl/library_calls.h"
#include "xl/owned_book.h"
#include "xl/workbook_provisioning.h"

namespace colsplit {
namespace {

using ::colsplit::testing::fs_path;
using ::colsplit::testing::gbk;
using ::colsplit::testing::utf8;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::UnorderedElementsAreArray;

using Rows = ::colsplit::testing::DumpedRows;
using ::colsplit::testing::read_back;
using ::colsplit::testing::WorkbookDump;

constexpr const char* kAllFlags =
    "emptyCellReference,evalError,formula,formulaRange,listDataValidation,numberStoredAsText,twoDigitTextYear,"
    "unlockedFormula";

class WholeRunTest : public ::testing::Test {
 protected:
  // Writes the input through the library's own writer; false when the
  // library cannot write (a build without it).
  bool write_input(const Rows& rows) {
    const xl::OwnedBook owned_book(xl::create_workbook());
    const xl::BookHandle book = owned_book.get();
    if (!book) return false;
    const xl::SheetHandle sheet = xl::xlBookInsertSheetA(book, 0, "data", nullptr);
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t c = 0; c < rows[r].size(); ++c) {
        xl::xlSheetWriteStrA(sheet, static_cast<int>(r), static_cast<int>(c), utf8_to_gbk(rows[r][c]), nullptr);
      }
    }
    const bool saved = xl::xlBookSaveA(book, input()) == 1;
    return saved;
  }
  Text input() const { return temp.text() + "/in.xlsx"; }
  std::filesystem::path export_folder(const std::string& heading_utf8) const {
    return temp.path() / ("按_" + heading_utf8 + "_分别导出");
  }
  void drop_and_choose(int heading) {
    ASSERT_EQ(take_dropped_files(view, input()), DropOutcome::loaded);
    window.组合框1.select(heading);
  }
  static std::string file_of(const std::string& value_utf8) {
    return "按内容导出_" + value_utf8 + "_2026年12月7日4时51分33秒.xlsx";
  }

  testing::TempFolder temp;
  testing::RecordingDialogs dialogs;
  testing::FixedClock clock;
  // Each workbook saves on a thread of its own while the next one is
  // filled, as in colsplit-cli.
  ThreadWorker worker;
  MemoryMainWindow window{dialogs, clock, &worker};
  MainWindow view = window.view();
};

TEST_F(WholeRunTest, EveryGroupWorkbookHoldsTheHeadingAndExactlyItsRows) {
  const std::string long_value(300, 'L');
  const Rows input = {{"编号", "城市", "备注"},
                      {"1", "北京", "a"},
                      {"2", "北京市", "b"},
                      {"3", "10", ""},
                      {"4", "1", "d"},
                      {"5", "Beijing", "e"},
                      {"6", "beijing", "f"},
                      {"7", " 1", "g"},
                      {"8", "", "h"},
                      {"9", "a/b:c", "i"},
                      {"10", long_value, "j"},
                      {"11", "北京", "k"},
                      {"12", "1", "l"},
                      {"13", "", "m"}};
  if (!write_input(input)) GTEST_SKIP() << "the spreadsheet library cannot write here";
  drop_and_choose(1);
  ASSERT_EQ(run_export(view), ExportOutcome::finished);
  EXPECT_THAT(dialogs.messages, ElementsAre(gbk(u8"按指定列内容筛选导出完成")));

  const std::map<std::string, WorkbookDump> books = read_back(export_folder("城市"));
  // Cut so that the name is 255 bytes of UTF-8, the limit on Linux.
  const std::string long_name = "按内容导出_" + std::string(255 - file_of("").size(), 'L') + "_2026年12月7日4时51分33秒.xlsx";
  std::vector<std::string> names;
  for (const auto& [name, book] : books) names.push_back(name);
  EXPECT_THAT(names, UnorderedElementsAreArray(std::vector<std::string>{file_of("北京"), file_of("北京市"), file_of("10"), file_of("1"),
                                                file_of("Beijing"),
                                                "按内容导出_beijing_2026年12月7日4时51分33秒 (2).xlsx",
                                                file_of(" 1"), file_of(""), file_of("a_b_c"), long_name}));

  const auto check = [&](const std::string& name, const std::string& sheet, const Rows& rows) {
    SCOPED_TRACE(name);
    ASSERT_EQ(books.count(name), 1u);
    const WorkbookDump& book = books.at(name);
    EXPECT_THAT(book.sheets, ElementsAre(sheet));
    Rows expected = {input[0]};
    expected.insert(expected.end(), rows.begin(), rows.end());
    EXPECT_EQ(book.rows, expected);
    EXPECT_TRUE(book.strings);
    EXPECT_TRUE(book.borders);
    EXPECT_THAT(book.cols, ElementsAre("1-4:20"));
    EXPECT_THAT(book.ignored, ElementsAre("A1:E" + std::to_string(rows.size() + 2) + " " + kAllFlags));
  };
  check(file_of("北京"), "北京", {input[1], input[11]});
  check(file_of("北京市"), "北京市", {input[2]});
  check(file_of("1"), "1", {input[4], input[12]});
  check(file_of("10"), "10", {input[3]});
  check(file_of(" 1"), " 1", {input[7]});
  check(file_of(""), "(空白)", {input[8], input[13]});
  check(file_of("a_b_c"), "a_b_c", {input[9]});
  check(long_name, std::string(31, 'L'), {input[10]});

  // Nothing lost, nothing doubled.
  Rows written;
  for (const auto& [name, book] : books) written.insert(written.end(), book.rows.begin() + 1, book.rows.end());
  EXPECT_THAT(written, UnorderedElementsAreArray(Rows(input.begin() + 1, input.end())));
}

TEST_F(WholeRunTest, FailuresToCreateTheFolderOrSaveAreReported) {
  if (!write_input({{"k"}, {"a"}, {"b"}})) GTEST_SKIP() << "the spreadsheet library cannot write here";
  drop_and_choose(0);

  window.编辑框1.set_text(temp.text() + "/missing");
  EXPECT_EQ(run_export(view), ExportOutcome::folder_not_created);
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "missing"));

  // A folder where the workbook of "a" would go makes its save fail.
  window.编辑框1.set_text(temp.text());
  std::filesystem::create_directories(export_folder("k") / file_of("a"));
  dialogs.messages.clear();
  EXPECT_EQ(run_export(view), ExportOutcome::some_not_saved);
  EXPECT_THAT(dialogs.messages, ElementsAre(gbk(u8"导出完成，但以下文件未能保存：") + "\r\n" + temp.text() + "/" +
                                           utf8_to_gbk("按_k_分别导出/" + file_of("a"))));
  EXPECT_TRUE(std::filesystem::is_regular_file(export_folder("k") / file_of("b")));
}

}  // namespace
}  // namespace colsplit
