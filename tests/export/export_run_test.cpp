#include "export/export_run.h"

#include <filesystem>
#include <random>
#include <tuple>
#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/grouping.h"
#include "export/workbook_saver.h"
#include "load/file_intake.h"
#include "support/gbk_literal.h"
#include "support/native_path.h"
#include "support/recording_library.h"
#include "support/temp_folder.h"

namespace colsplit {
namespace {

using ::colsplit::testing::fs_path;
using ::colsplit::testing::gbk;
using ::colsplit::testing::native_path;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Grid = std::vector<std::vector<std::string>>;

class ExportRunTest : public ::testing::Test {
 protected:
  // Loads the sheet through the drop and picks a heading, as the user does.
  void load(const testing::SourceSheet& sheet, int heading) {
    library.source = sheet;
    on_file_dropped(view, native_path(temp.text() + "\\in.xlsx"));
    window.组合框1.select(heading);
  }
  Text export_folder(const std::u8string& heading) const {
    return temp.text() + native_path("\\") + gbk(u8"按_" + heading + u8"_分别导出");
  }
  Text workbook(const std::u8string& heading, const std::u8string& value,
                const std::u8string& stamp = u8"2026年12月7日4时51分33秒") const {
    return export_folder(heading) + native_path("\\") + gbk(u8"按内容导出_" + value + u8"_" + stamp + u8".xlsx");
  }
  std::vector<std::string> saved_paths() const {
    std::vector<std::string> paths;
    for (const auto& saved : library.saved) paths.push_back(saved.path);
    return paths;
  }

  testing::TempFolder temp;
  testing::RecordingLibrary library;
  testing::RecordingDialogs dialogs;
  testing::FixedClock clock;
  MemoryMainWindow window{dialogs, clock};
  MainWindow view = window.view();
};

const testing::SourceSheet kCities = {
    {gbk(u8"城市"), gbk(u8"人")}, {gbk(u8"北京市"), "a"}, {gbk(u8"北京"), "b"}, {"10", "c"}, {"1", "d"},
    {gbk(u8"北京"), "e"},         {"", "f"},                {"Beijing", "g"}, {"beijing", "h"}, {" 1", "i"},
    {"1", "j"},                   {std::nullopt, "k"}};

TEST_F(ExportRunTest, OneWorkbookPerValueInOrderOfFirstAppearance) {
  load(kCities, 0);
  EXPECT_EQ(run_export(view), ExportOutcome::finished);

  EXPECT_THAT(dialogs.messages, ElementsAre(gbk(u8"按指定列内容筛选导出完成")));
  EXPECT_TRUE(std::filesystem::is_directory(fs_path(export_folder(u8"城市"))));
  EXPECT_THAT(saved_paths(),
              ElementsAre(workbook(u8"城市", u8"北京市"), workbook(u8"城市", u8"北京"), workbook(u8"城市", u8"10"),
                          workbook(u8"城市", u8"1"), workbook(u8"城市", u8""), workbook(u8"城市", u8"Beijing"),
                          workbook(u8"城市", u8"beijing", u8"2026年12月7日4时51分33秒 (2)"),
                          workbook(u8"城市", u8" 1")));
  const Text header_city = gbk(u8"城市"), header_people = gbk(u8"人");
  ASSERT_EQ(library.saved.size(), 8u);
  EXPECT_EQ(library.saved[1].grid(2), (Grid{{header_city, header_people}, {gbk(u8"北京"), "b"}, {gbk(u8"北京"), "e"}}));
  EXPECT_EQ(library.saved[3].grid(2), (Grid{{header_city, header_people}, {"1", "d"}, {"1", "j"}}));
  // Empty cells and missing strings are one group, the empty value.
  EXPECT_EQ(library.saved[4].grid(2), (Grid{{header_city, header_people}, {"", "f"}, {"", "k"}}));
  EXPECT_EQ(library.saved[4].sheet_name, gbk(u8"(空白)"));
  EXPECT_EQ(library.saved[0].sheet_name, gbk(u8"北京市"));

  // The staging list keeps the last group; the bar shows its end.
  EXPECT_EQ(window.超级列表框2.row_count(), 1);
  EXPECT_EQ(window.超级列表框2.cell_text(0, 1), "i");
  EXPECT_EQ(window.进度条1.maximum(), 1);
  EXPECT_EQ(window.进度条1.position(), 1);
  EXPECT_EQ(library.books_released, library.books_created);
}

TEST_F(ExportRunTest, ChecksComeFirstAndWriteNothing) {
  EXPECT_EQ(run_export(view), ExportOutcome::no_column_chosen);
  EXPECT_THAT(dialogs.messages, ElementsAre(gbk(u8"请先选择要筛选内容的列")));

  load(kCities, 0);
  dialogs.messages.clear();
  window.编辑框1.set_text("");
  EXPECT_EQ(run_export(view), ExportOutcome::no_folder_chosen);
  EXPECT_THAT(dialogs.messages, ElementsAre(gbk(u8"请先选择导出地址")));

  dialogs.messages.clear();
  const Text missing = temp.text() + native_path("\\missing");
  window.编辑框1.set_text(missing);
  EXPECT_EQ(run_export(view), ExportOutcome::folder_not_created);
  EXPECT_THAT(dialogs.messages, ElementsAre(gbk(u8"无法创建导出文件夹：") + "\r\n" + missing + native_path("\\") +
                                           gbk(u8"按_城市_分别导出")));
  EXPECT_THAT(library.saved, IsEmpty());
  EXPECT_EQ(window.超级列表框2.row_count(), 0);
}

TEST_F(ExportRunTest, ExistingExportFolderIsUsedAndHeaderOnlySheetWritesNothing) {
  load({{"a", "b"}}, 1);
  std::filesystem::create_directory(fs_path(temp.text() + native_path("\\") + gbk(u8"按_b_分别导出")));
  EXPECT_EQ(run_export(view), ExportOutcome::finished);
  EXPECT_THAT(library.saved, IsEmpty());
  EXPECT_THAT(dialogs.messages, ElementsAre(gbk(u8"按指定列内容筛选导出完成")));
}

TEST_F(ExportRunTest, FolderAndFileNamesAreMadeSafe) {
  load({{"a/b"}, {"x:y"}, {"x?y"}, {"c\\d"}}, 0);
  EXPECT_EQ(run_export(view), ExportOutcome::finished);
  EXPECT_TRUE(std::filesystem::is_directory(fs_path(export_folder(u8"a_b"))));
  EXPECT_THAT(saved_paths(), ElementsAre(workbook(u8"a_b", u8"x_y"),
                                         workbook(u8"a_b", u8"x_y", u8"2026年12月7日4时51分33秒 (2)"),
                                         workbook(u8"a_b", u8"c_d")));
  // The library refuses "x:y" as a sheet name; the writer cleans it.
  EXPECT_EQ(library.saved[0].sheet_name, "x_y");
}

TEST_F(ExportRunTest, TypedHeadingNamesTheFolderWhileTheSelectionPicksTheColumn) {
  load({{"a", "b"}, {"1", "2"}}, 1);
  window.组合框1.type_text("typed");
  run_export(view);
  EXPECT_THAT(saved_paths(), ElementsAre(workbook(u8"typed", u8"2")));
}

TEST_F(ExportRunTest, UnsavedWorkbooksAreListedInTheFinalMessage) {
  testing::SourceSheet sheet = {{"v"}};
  for (int i = 0; i < 25; ++i) sheet.push_back({std::to_string(i)});
  load(sheet, 0);
  library.save_result = [](const std::string& path) { return path.find("_3_") != std::string::npos ? 1 : 0; };
  EXPECT_EQ(run_export(view), ExportOutcome::some_not_saved);

  Text expected = gbk(u8"导出完成，但以下文件未能保存：");
  int listed = 0;
  for (int i = 0; i < 25 && listed < 20; ++i) {
    if (i == 3) continue;
    expected += "\r\n" + workbook(u8"v", std::u8string(reinterpret_cast<const char8_t*>(std::to_string(i).c_str())));
    ++listed;
  }
  expected += "\r\n" + gbk(u8"……共 24 个");
  EXPECT_THAT(dialogs.messages, ElementsAre(expected));

  EXPECT_EQ(unsaved_files_message({"p1", "p2"}), gbk(u8"导出完成，但以下文件未能保存：") + "\r\np1\r\np2");
}

// A worker that tells whether a step of its own runs. A started step runs
// at once, or (late) only when the caller waits for it or starts the next:
// whatever the caller does before it waits, it then does before the step.
class StepWorker final : public Worker {
 public:
  explicit StepWorker(bool late) : late_(late) {}
  void run(const std::function<void()>& step) override {
    in_step = true;
    step();
    in_step = false;
  }
  void start(std::function<void()> step) override {
    finish();
    if (late_) step_ = std::move(step);
    else run(step);
  }
  void finish() override {
    if (step_) run(std::exchange(step_, nullptr));
  }
  bool in_step = false;

 private:
  bool late_;
  std::function<void()> step_;
};

// Per save, in the order they ran: the group's value, whether the worker
// saved it, and how many books had been made by then.
using SaveSeen = std::tuple<std::string, bool, int>;

class SavesTest : public ExportRunTest {
 protected:
  // Exports with the worker; the save of the group `failing` fails.
  ExportOutcome run_with(StepWorker& worker, const std::string& failing) {
    saves.clear();
    dialogs.messages.clear();
    library.save_result = [&worker, failing, this](const std::string& path) {
      const std::size_t value_end = path.rfind('_');
      const std::size_t value_start = path.rfind('_', value_end - 1) + 1;
      const std::string value = path.substr(value_start, value_end - value_start);
      saves.emplace_back(value, worker.in_step, library.books_created);
      return value == failing ? 0 : 1;
    };
    MainWindow recorded{view.编辑框1, view.编辑框2, view.组合框1, view.超级列表框1, view.超级列表框2, view.进度条1,
                        dialogs,      clock,        worker,       view.session};
    return run_export(recorded);
  }
  std::vector<SaveSeen> saves;
};

// A large workbook saves on the worker while the next group's workbook is
// filled, never on the caller; its result is taken before the next save
// starts, so a failed save is listed as its own group's.
TEST_F(SavesTest, EachLargeSaveOverlapsTheNextFillAndReportsForItsOwnGroup) {
  // Three groups of 4096 cells (heading included): large enough.
  testing::SourceSheet sheet = {{"v", "w"}};
  for (const char* value : {"a", "b", "c"}) {
    for (int row = 0; row < WorkbookSaver::kCellsSavedBeside / 2 - 1; ++row) sheet.push_back({value, "x"});
  }
  library.log_cells = false;
  load(sheet, 0);
  StepWorker late(true);
  EXPECT_EQ(run_with(late, "b"), ExportOutcome::some_not_saved);
  // (Book 1 was the loaded workbook; group a's is book 2.)
  EXPECT_THAT(saves, ElementsAre(SaveSeen{"a", true, 3}, SaveSeen{"b", true, 4}, SaveSeen{"c", true, 4}));
  EXPECT_THAT(dialogs.messages,
              ElementsAre(gbk(u8"导出完成，但以下文件未能保存：") + "\r\n" + workbook(u8"v", u8"b")));
  EXPECT_EQ(library.books_released, library.books_created);
}

// Small workbooks save in batches: a full batch is handed to the worker as
// one step while the next batch is filled, and what the worker has not
// begun by then the caller saves itself. Either way every workbook saves
// once, in group order, and the results are reported as each group's own
// (group 3 fails to save, group 5 has a cell the library refuses and is
// never saved).
TEST_F(SavesTest, SmallWorkbooksSaveInBatchesSharedWithTheWorker) {
  const int groups = static_cast<int>(WorkbookSaver::kBatchWorkbooks) + 2;
  testing::SourceSheet sheet = {{"v"}};
  for (int i = 0; i < groups; ++i) sheet.push_back({std::to_string(i)});
  library.log_cells = false;
  load(sheet, 0);
  library.write_result = [](int, int, const std::optional<std::string>& text) { return text == "5" ? 0 : 1; };

  for (const bool late : {false, true}) {
    SCOPED_TRACE(late);
    StepWorker worker(late);
    const int made_before = library.books_created;
    EXPECT_EQ(run_with(worker, "3"), ExportOutcome::some_not_saved);
    std::vector<SaveSeen> expected;
    for (int i = 0; i < groups; ++i) {
      // At once: the full first batch saved on the worker before the second
      // batch was begun. Late: the caller saved the first batch itself once
      // it had filled the second.
      const bool first_batch = i < static_cast<int>(WorkbookSaver::kBatchWorkbooks);
      const int made = first_batch && !late ? static_cast<int>(WorkbookSaver::kBatchWorkbooks) : groups;
      if (i != 5) expected.emplace_back(std::to_string(i), !late, made_before + made);
    }
    EXPECT_EQ(saves, expected);
    EXPECT_EQ(library.books_released, library.books_created);
    EXPECT_THAT(dialogs.messages, ElementsAre(gbk(u8"导出完成，但以下文件未能保存：") + "\r\n" + workbook(u8"v", u8"3") +
                                              "\r\n" + workbook(u8"v", u8"5")));
  }
}

TEST_F(ExportRunTest, EachGroupReadsTheClock) {
  load({{"v"}, {"a"}, {"b"}}, 0);
  // The clock moves between the groups.
  class TickingClock final : public Clock {
   public:
    LocalTime now() override { return LocalTime{2026, 12, 7, 4, 0, seconds++}; }
    int seconds = 0;
  } ticking;
  MainWindow ticking_view = window.view();
  MainWindow with_ticking{ticking_view.编辑框1, ticking_view.编辑框2, ticking_view.组合框1, ticking_view.超级列表框1,
                          ticking_view.超级列表框2, ticking_view.进度条1, dialogs, ticking, ticking_view.worker,
                          ticking_view.session};
  run_export(with_ticking);
  EXPECT_THAT(saved_paths(), ElementsAre(workbook(u8"v", u8"a", u8"2026年12月7日4时"),
                                         workbook(u8"v", u8"b", u8"2026年12月7日4时0分1秒")));
}

// The groups as the naive method finds them: a scan for the distinct
// values, then one full scan per value.
std::vector<Group> groups_by_rescanning(const ListView& list, int column) {
  std::vector<Text> values;
  for (int row = 0; row < list.row_count(); ++row) {
    const Text value = list.cell_text(row, column);
    if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
  }
  std::vector<Group> groups;
  for (const Text& value : values) {
    groups.push_back(Group{value, {}});
    for (int row = 0; row < list.row_count(); ++row) {
      if (list.cell_text(row, column) == value) groups.back().rows.push_back(row);
    }
  }
  return groups;
}

TEST_F(ExportRunTest, OnePassGroupingEqualsRescanningOnManyValues) {
  std::mt19937 random(7);
  const std::vector<std::string> pieces = {"", " ", "a", "A", gbk(u8"北京"), gbk(u8"北京市"), "1", "10", gbk(u8"淺")};
  testing::SourceSheet sheet = {{"k", "n"}};
  for (int row = 0; row < 3000; ++row) {
    std::string value = pieces[random() % pieces.size()] + pieces[random() % pieces.size()];
    if (random() % 3 == 0) value += std::to_string(random() % 400);
    sheet.push_back({value, std::to_string(row)});
  }
  load(sheet, 0);

  const std::vector<Group> expected = groups_by_rescanning(window.超级列表框1, 0);
  const std::vector<Group> found = collect_groups(window.超级列表框1, 0);
  ASSERT_GT(expected.size(), 500u);
  ASSERT_EQ(found.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(found[i].value, expected[i].value);
    EXPECT_EQ(found[i].rows, expected[i].rows);
  }

  library.log_cells = false;
  EXPECT_EQ(run_export(view), ExportOutcome::finished);
  ASSERT_EQ(library.saved.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    Grid grid = {{"k", "n"}};
    for (const int row : expected[i].rows) grid.push_back({window.超级列表框1.cell_text(row, 0),
                                                           window.超级列表框1.cell_text(row, 1)});
    EXPECT_EQ(library.saved[i].grid(2), grid) << "group " << i;
  }
}

TEST_F(ExportRunTest, FolderDialogReplacesTheFolderOnlyWhenAFolderIsChosen) {
  window.编辑框1.set_text("D:\\kept");
  on_choose_folder_clicked(view);
  EXPECT_EQ(window.编辑框1.text(), "D:\\kept");
  EXPECT_THAT(dialogs.folder_titles, ElementsAre(gbk(u8"请选择导出文件目录")));

  dialogs.folder_answer = "";
  on_choose_folder_clicked(view);
  EXPECT_EQ(window.编辑框1.text(), "D:\\kept");

  dialogs.folder_answer = gbk(u8"E:\\新");
  on_choose_folder_clicked(view);
  EXPECT_EQ(window.编辑框1.text(), gbk(u8"E:\\新"));
}

}  // namespace
}  // namespace colsplit
