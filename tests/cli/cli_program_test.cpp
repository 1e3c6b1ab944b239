// colsplit-cli as a user runs it: arguments, output and exit status.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "text/encoding.h"
#include "xl/library_calls.h"
#include "xl/workbook_provisioning.h"

namespace colsplit {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

struct Result {
  int status = -1;
  std::string output;
};

// `limits` goes before the program in the shell ("ulimit -v 262144;").
Result run_cli(const std::string& arguments, const std::string& limits = "") {
  const std::string command = limits + "'" + COLSPLIT_CLI + "' " + arguments + " 2>/dev/null";
  Result result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, got);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

class CliProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const xl::BookHandle book = xl::create_workbook();
    if (!book) GTEST_SKIP() << "the spreadsheet library is not available";
    xl::xlBookReleaseA(book);
    std::filesystem::copy_file(std::filesystem::path(COLSPLIT_SOURCE_DIR) / "samples/sample.xlsx", sample());
  }
  std::string sample() const { return (temp.path() / "sample.xlsx").string(); }

  testing::TempFolder temp;
};

TEST_F(CliProgramTest, SplitsTheSampleBesideItself) {
  const Result result = run_cli("'" + sample() + "' 城市");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, "按指定列内容筛选导出完成\n");
  const auto folder = temp.path() / "按_城市_分别导出";
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  int workbooks = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    EXPECT_THAT(entry.path().filename().string(), StartsWith("按内容导出_"));
    ++workbooks;
  }
  EXPECT_EQ(workbooks, 6);  // 北京 上海 广州 深圳 北京市 and the empty value
}

TEST_F(CliProgramTest, ColumnNumberAndOutputFolderMadeWithItsParents) {
  const Result result = run_cli("'" + sample() + "' '#1' '" + (temp.path() / "出" / "新").string() + "'");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(std::filesystem::is_directory(temp.path() / "出" / "新" / "按_部门_分别导出"));
}

// Arguments, messages and names on disk keep characters that GBK lacks.
TEST_F(CliProgramTest, CharactersOutsideGbkInArgumentsOutputAndNames) {
  const std::filesystem::path folder = temp.path() / "😀 한국";
  std::filesystem::create_directory(folder);
  const std::string input = (folder / "𠮷.xlsx").string();
  {
    const xl::BookHandle book = xl::create_workbook();
    const xl::SheetHandle sheet = xl::xlBookInsertSheetA(book, 0, "data", nullptr);
    const char* const cells[][2] = {{"姓名𠮷", "한국어"}, {"王䶮", "a"}, {"😀", "b"}, {"王䶮", "c"}, {"ğ", "d"}};
    for (int row = 0; row < 5; ++row) {
      for (int column = 0; column < 2; ++column)
        xl::xlSheetWriteStrA(sheet, row, column, utf8_to_gbk(cells[row][column]), nullptr);
    }
    ASSERT_EQ(xl::xlBookSaveA(book, utf8_to_gbk(input)), 1);
    xl::xlBookReleaseA(book);
  }
  Result result = run_cli("'" + input + "' '#3'");
  EXPECT_EQ(result.status, 2);
  EXPECT_THAT(result.output, HasSubstr("可用的列标题：\n  #1  姓名𠮷\n  #2  한국어\n"));

  result = run_cli("'" + input + "' 姓名𠮷");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, "按指定列内容筛选导出完成\n");
  std::vector<std::string> values;
  for (const auto& entry : std::filesystem::directory_iterator(folder / "按_姓名𠮷_分别导出")) {
    const std::string name = entry.path().filename().string();
    values.push_back(name.substr(std::string("按内容导出_").size(), name.rfind('_') - std::string("按内容导出_").size()));
  }
  EXPECT_THAT(values, ::testing::UnorderedElementsAre("王䶮", "😀", "ğ"));
}

TEST_F(CliProgramTest, ExitStatusTellsWhatWentWrong) {
  Result result = run_cli("");
  EXPECT_EQ(result.status, 2);
  EXPECT_THAT(result.output, StartsWith("用法：colsplit-cli [选项] 工作簿 列标题 [导出地址]\n"));

  result = run_cli("'" + sample() + "' 省份");
  EXPECT_EQ(result.status, 2);
  EXPECT_THAT(result.output, HasSubstr("找不到列标题：省份\n可用的列标题：\n  #1  部门\n  #2  姓名\n  #3  城市\n"));

  const std::string missing = (temp.path() / "无.xlsx").string();
  result = run_cli("'" + missing + "' 城市");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "文件读取失败：\n" + missing + "\n找不到文件\n");

  result = run_cli("'" + sample() + "' 城市 '" + (temp.path() / "sample.xlsx" / "below").string() + "'");
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.output, StartsWith("无法创建导出文件夹：\n"));
}

// A request for more memory than the process may have (a 300 MiB workbook
// read whole under a 256 MiB address space) is the library's: the load fails
// and says why, with status 1, not with an abort.
TEST_F(CliProgramTest, FailedMemoryRequestEndsWithTheMessageAndStatusOne) {
  const std::filesystem::path big = temp.path() / "big.xlsx";
  { std::ofstream(big, std::ios::binary); }
  std::filesystem::resize_file(big, std::uintmax_t{300} << 20);
  const Result result = run_cli("'" + big.string() + "' 城市", "ulimit -v 262144; ");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "文件读取失败：\n" + big.string() + "\n内存不足，无法读取此文件\n");
}

// A 100,000 x 20 sheet (over 4 MiB of sheet XML: read in pieces on two
// threads while a third inflates) listed under address-space limits where
// memory runs short at different moments: each run ends with status 1 and
// the memory message or the load's reason line (or 0 where it fit), never
// in a signal.
TEST_F(CliProgramTest, MemoryRunningOutWhileThreadsReadEndsInAMessage) {
  const std::string big = (temp.path() / "big.xlsx").string();
  {
    const xl::BookHandle book = xl::create_workbook();
    const xl::SheetHandle sheet = xl::xlBookInsertSheetA(book, 0, "data", nullptr);
    for (int column = 0; column < 20; ++column) {
      xl::xlSheetWriteStrA(sheet, 0, column, column == 0 ? "key" : "c" + std::to_string(column), nullptr);
    }
    for (int row = 1; row <= 100'000; ++row) {
      xl::xlSheetWriteStrA(sheet, row, 0, "v" + std::to_string(row % 100), nullptr);
      for (int column = 1; column < 20; ++column) {
        xl::xlSheetWriteStrA(sheet, row, column, "r" + std::to_string(row) + "c" + std::to_string(column), nullptr);
      }
    }
    ASSERT_EQ(xl::xlBookSaveA(book, big), 1);
    xl::xlBookReleaseA(book);
  }
  const std::regex memory_ran_short("(分配 [0-9]+ 字节内存失败!\n|文件读取失败：\n.*\n内存不足，无法读取此文件\n)");
  for (const int mebibytes : {40, 50, 60, 70, 80, 90, 105, 120}) {
    const Result result = run_cli("--list '" + big + "' key", "ulimit -v " + std::to_string(mebibytes * 1024) + "; ");
    if (result.status == 0) continue;
    EXPECT_EQ(result.status, 1) << mebibytes << " MiB";
    EXPECT_TRUE(std::regex_match(result.output, memory_ran_short)) << mebibytes << " MiB: " << result.output;
  }
}

}  // namespace
}  // namespace colsplit
