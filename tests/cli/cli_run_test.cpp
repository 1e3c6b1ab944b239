#include "cli/cli_run.h"

#include <filesystem>
#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/memory/memory_controls.h"
#include "support/gbk_literal.h"
#include "support/native_path.h"
#include "support/recording_library.h"
#include "support/temp_folder.h"
#include "text/texts.h"

namespace colsplit::cli {
namespace {

using ::colsplit::testing::fs_path;
using ::colsplit::testing::gbk;
using ::colsplit::testing::native_path;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class RecordingOutput final : public Output {
 public:
  void message(const Text& text) override { messages.push_back(text); }
  void progress(int position, int maximum) override { last_progress = {position, maximum}; }
  void progress_done() override {}
  std::vector<Text> messages;
  std::pair<int, int> last_progress{-1, -1};
};

class CliRunTest : public ::testing::Test {
 protected:
  CliRunTest() {
    library.source = {{gbk(u8"部门"), gbk(u8"城市"), gbk(u8"城市")}, {"a", gbk(u8"北京"), "x"}, {"b", "", "y"}};
  }
  Text workbook() const { return temp.text() + native_path("\\in.xlsx"); }
  Text export_folder(const Text& folder, const std::u8string& heading) const {
    return folder + native_path("\\") + gbk(u8"按_" + heading + u8"_分别导出");
  }

  testing::TempFolder temp;
  testing::RecordingLibrary library;
  RecordingOutput output;
  InlineWorker worker;
};

TEST_F(CliRunTest, WrongArgumentCountsGiveTheUsageLine) {
  EXPECT_EQ(run({}, output, worker), kExitWrongUsage);
  EXPECT_EQ(run({"only.xlsx"}, output, worker), kExitWrongUsage);
  EXPECT_EQ(run({"a.xlsx", "h", "out", "extra"}, output, worker), kExitWrongUsage);
  EXPECT_EQ(run({"", "h"}, output, worker), kExitWrongUsage);
  const Text usage = texts::kCliUsage;
  EXPECT_THAT(usage, ::testing::StartsWith(gbk(u8"用法：colsplit-cli [选项] 工作簿 列标题 [导出地址]\r\n")));
  EXPECT_THAT(output.messages, ElementsAre(usage, usage, usage, usage));
  EXPECT_THAT(library.saved, IsEmpty());
}

TEST_F(CliRunTest, SplitsByTheFirstColumnOfThatTitleIntoTheWorkbooksFolder) {
  EXPECT_EQ(run({workbook(), gbk(u8"城市")}, output, worker), kExitDone);
  EXPECT_THAT(output.messages, ElementsAre(gbk(u8"按指定列内容筛选导出完成")));
  EXPECT_TRUE(std::filesystem::is_directory(fs_path(export_folder(temp.text(), u8"城市"))));
  ASSERT_EQ(library.saved.size(), 2u);
  EXPECT_EQ(library.saved[0].sheet_name, gbk(u8"北京"));
  EXPECT_EQ(output.last_progress, std::make_pair(1, 1));
}

// The output folder and its parents are made when they are not there.
TEST_F(CliRunTest, ColumnByNumberAndAnOutputFolder) {
  const Text out = temp.text() + native_path("\\out\\") + gbk(u8"淺乗") + native_path("\\deeper");
  EXPECT_EQ(run({workbook(), "#3", out}, output, worker), kExitDone);
  ASSERT_EQ(library.saved.size(), 2u);
  EXPECT_EQ(library.saved[0].sheet_name, "x");
  EXPECT_TRUE(std::filesystem::is_directory(fs_path(export_folder(out, u8"城市"))));
}

TEST_F(CliRunTest, UnknownHeadingListsTheHeadings) {
  EXPECT_EQ(run({workbook(), "#4"}, output, worker), kExitWrongUsage);
  ASSERT_EQ(output.messages.size(), 1u);
  EXPECT_THAT(output.messages[0], HasSubstr(gbk(u8"找不到列标题：") + "#4"));
  EXPECT_THAT(output.messages[0], HasSubstr(gbk(u8"可用的列标题：") + "\r\n  #1  " + gbk(u8"部门") + "\r\n  #2  " +
                                            gbk(u8"城市") + "\r\n  #3  " + gbk(u8"城市")));
  EXPECT_THAT(library.saved, IsEmpty());
}

TEST_F(CliRunTest, WhatCannotBeReadOrWrittenExitsWithOneAndSaysWhy) {
  const Text file = temp.text() + native_path("\\file");
  { std::ofstream(fs_path(file)) << "x"; }
  const Text notes = temp.text() + native_path("\\notes.txt");
  const struct {
    const char* what;
    std::vector<Text> arguments;
    int load_result;
    testing::SourceSheet source;
    bool saves;
    Text message;  // the first message, from its start
  } cases[] = {
      {"no workbook name", {notes, "h"}, 1, {{"h"}}, true,
       gbk(u8"文件读取失败：") + "\r\n" + notes + "\r\n" + gbk(u8"不是工作簿文件（可能是文本、图片或其他程序的文档）")},
      {"refused by the library", {workbook(), "h"}, 0, {{"h"}}, true, gbk(u8"文件读取失败：") + "\r\n" + workbook()},
      {"empty sheet", {workbook(), "h"}, 1, {}, true, gbk(u8"工作表是空的，没有列标题")},
      {"folder below a file", {workbook(), gbk(u8"部门"), file + native_path("\\below")}, 1, {{gbk(u8"部门")}, {"a"}},
       true, gbk(u8"无法创建导出文件夹：")},
      {"failed writes", {workbook(), gbk(u8"部门")}, 1, {{gbk(u8"部门")}, {"a"}}, false,
       gbk(u8"导出完成，但以下文件未能保存：")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    output.messages.clear();
    library.load_result = c.load_result;
    library.source = c.source;
    library.save_result = [&c](const std::string&) { return c.saves ? 1 : 0; };
    EXPECT_EQ(run(c.arguments, output, worker), kExitFailed);
    ASSERT_FALSE(output.messages.empty());
    EXPECT_THAT(output.messages[0], ::testing::StartsWith(c.message));
  }
}

}  // namespace
}  // namespace colsplit::cli
