#include "export/directories.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "support/gbk_literal.h"
#include "support/native_path.h"
#include "support/temp_folder.h"
#include "xl/library_calls.h"

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

// On Windows the answer comes from the table's directory test, bound from
// the system (shlwapi) here as in the program.
TEST(DirectoryTest, OnlyAnExistingDirectoryIsOne) {
  testing::TempFolder temp;
  const Text folder = temp.text() + native_path("\\folder");
  const Text file = temp.text() + native_path("\\file");
  ASSERT_TRUE(create_directory_level(folder));
  std::ofstream(fs_path(file)) << "x";
  const struct {
    Text path;
    bool directory;
  } cases[] = {
      {temp.text(), true},
      {folder, true},
      {file, false},
      {folder + native_path("\\missing"), false},
      {file + native_path("\\below a file"), false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(is_directory(c.path), c.directory) << c.path;
  xl::testing::unbind_all();
}

TEST(DirectoryCreationTest, PathsBeyond260Characters) {
  testing::TempFolder temp;
  const Text level = native_path("\\") + gbk(u8"很长的文件夹名称") + std::string(40, 'd');
  Text folder = temp.text();
  while (folder.size() < 400) {
    folder += level;
    ASSERT_TRUE(create_directory_level(folder)) << folder.size();
  }
  EXPECT_TRUE(std::filesystem::is_directory(fs_path(folder)));
}

}  // namespace
}  // namespace colsplit
