#include "app/runtime_error/runtime_error_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "text/texts.h"
#include "support/gbk_literal.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;

TEST(RuntimeErrorReport, CodeAndMessageLinesAppearOnlyWhenGiven) {
  EXPECT_EQ(format_runtime_error(0, "", 0, 0), gbk(u8"运行时出错!\r\n\r\n0, 0\r\n"));
  EXPECT_EQ(format_runtime_error(1, "", 2, 3), gbk(u8"运行时出错!\r\n\r\n错误代码：1\r\n\r\n2, 3\r\n"));
  EXPECT_EQ(format_runtime_error(0, texts::kWindowLoadFailed, 0, 0),
            gbk(u8"运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n\r\n0, 0\r\n"));
  EXPECT_EQ(format_runtime_error(4, texts::kIndexBelowOne, 12, 345),
            gbk(u8"运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n\r\n12, 345\r\n"));
  EXPECT_EQ(format_runtime_error(6, texts::kStackUnbalanced, 7, 8),
            gbk(u8"运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n\r\n7, 8\r\n"));
  EXPECT_EQ(format_runtime_error(1, texts::kIndexBeyondCount, -1, 0),
            gbk(u8"运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n\r\n-1, 0\r\n"));
}

TEST(RuntimeErrorReport, FixedMessagesAreFilledIn) {
  EXPECT_EQ(out_of_memory_message(4294967040ull), gbk(u8"分配 4294967040 字节内存失败!"));
  EXPECT_EQ(out_of_memory_message(0), gbk(u8"分配 0 字节内存失败!"));
  EXPECT_EQ(cannot_bind_message("libxl.dll", "xlBookLoadA"),
            gbk(u8"无法找到指定DLL库文件“libxl.dll”中的输出命令“xlBookLoadA”"));
  // A file name with a '%' is data, not a placeholder.
  EXPECT_EQ(cannot_bind_message("50%d.dll", "f"), gbk(u8"无法找到指定DLL库文件“50%d.dll”中的输出命令“f”"));
}

#ifdef _WIN32
constexpr int kMinusOne = -1;
#else
constexpr int kMinusOne = 255;  // the low byte of -1
#endif

TEST(RuntimeErrorReportDeathTest, EndsTheProcessWithMinusOne) {
  EXPECT_EXIT(raise_runtime_error(6, texts::kStackUnbalanced, 1, 2), ::testing::ExitedWithCode(kMinusOne), "");
}

// A report raised while the first is shown (a repaint under the open box
// that runs out of memory) ends the process at once: one box only.
TEST(RuntimeErrorReportDeathTest, IsShownOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        set_runtime_error_sink([](const Text&) {
          std::fputs("shown\n", stderr);
          raise_runtime_error(0, out_of_memory_message(64), 0, 0);
        });
        raise_runtime_error(6, texts::kStackUnbalanced, 1, 2);
      },
      ::testing::ExitedWithCode(kMinusOne),
      ::testing::AllOf(::testing::HasSubstr("shown\n"), ::testing::Not(::testing::HasSubstr("shown\nshown"))));
}

// A worker's report goes to its carrier, formatted, instead of being shown.
struct CarriedAway {};

TEST(RuntimeErrorReport, ReportOfAThreadWithACarrierGoesToTheCarrier) {
  Text carried;
  std::thread worker([&] {
    set_report_carrier_of_this_thread(
        [](void* context, const Text& report) {
          *static_cast<Text*>(context) = report;
          throw CarriedAway{};
        },
        &carried);
    try {
      raise_runtime_error(6, texts::kStackUnbalanced, 3, 4);
    } catch (const CarriedAway&) {
    }
  });
  worker.join();
  EXPECT_EQ(carried, format_runtime_error(6, texts::kStackUnbalanced, 3, 4));
}

}  // namespace
}  // namespace colsplit
