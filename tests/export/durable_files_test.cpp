#include "export/durable_files.h"

#include <fstream>

#include <gtest/gtest.h>

#include "support/gbk_literal.h"
#include "support/native_path.h"
#include "support/temp_folder.h"

namespace colsplit {
namespace {

using ::colsplit::testing::fs_path;
using ::colsplit::testing::gbk;
using ::colsplit::testing::native_path;

TEST(DurableFilesTest, WrittenFilesFlushWithoutLoss) {
  testing::TempFolder temp;
  std::vector<Text> files;
  for (int i = 0; i < 20; ++i) {
    files.push_back(temp.text() + native_path("\\") + gbk(u8"按内容导出_城市") + std::to_string(i) + ".xlsx");
    std::ofstream(fs_path(files.back()), std::ios::binary) << "workbook " << i;
  }
  EXPECT_TRUE(make_durable(temp.text(), files).empty());
  EXPECT_TRUE(make_durable(temp.text(), {}).empty());
}

// A file that is gone by the time of the flush cannot be on the disk: it is
// reported, in order, and the others are not.
TEST(DurableFilesTest, FilesThatCannotBeFlushedAreReported) {
  testing::TempFolder temp;
  const Text kept = temp.text() + native_path("\\kept.xlsx");
  std::ofstream(fs_path(kept)) << "x";
  const Text gone_1 = temp.text() + native_path("\\gone1.xlsx");
  const Text gone_2 = temp.text() + native_path("\\gone2.xlsx");
#ifdef _WIN32
  const Text folder = temp.text();
#else
  // Natively the folder's file system is flushed at once; a folder that
  // cannot be opened makes each file be flushed on its own.
  const Text folder = temp.text() + native_path("\\missing");
#endif
  EXPECT_EQ(make_durable(folder, {gone_1, kept, gone_2}), (std::vector<Text>{gone_1, gone_2}));
}

}  // namespace
}  // namespace colsplit
