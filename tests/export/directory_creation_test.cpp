#include "export/directory_creation.h"

#include <filesystem>
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

TEST(DirectoryCreationTest, OneLevelWhoseParentExists) {
  testing::TempFolder temp;
  const Text folder = temp.text() + native_path("\\") + gbk(u8"按_城市_分别导出");
  EXPECT_TRUE(create_directory_level(folder));
  EXPECT_TRUE(std::filesystem::is_directory(fs_path(folder)));
  EXPECT_TRUE(create_directory_level(folder)) << "an existing directory is fine";

  EXPECT_FALSE(create_directory_level(temp.text() + native_path("\\missing\\child")));
  const Text file = temp.text() + native_path("\\file");
  std::ofstream(fs_path(file)) << "x";
  EXPECT_FALSE(create_directory_level(file)) << "a file of that name is no directory";
}

TEST(DirectoryCreationTest, PathsBeyond260Characters) {
  testing::TempFolder temp;
  Text folder = temp.text();
  while (folder.size() < 400) {
    folder += native_path("\\") + gbk(u8"很长的文件夹名称") + std::string(40, 'd');
    ASSERT_TRUE(create_directory_level(folder)) << folder.size();
  }
  EXPECT_TRUE(std::filesystem::is_directory(fs_path(folder)));
}

}  // namespace
}  // namespace colsplit
