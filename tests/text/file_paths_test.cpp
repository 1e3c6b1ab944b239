#include "text/file_paths.h"

#include <gtest/gtest.h>

#include "support/gbk_literal.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;

TEST(FolderOf, EndsAtTheLastRealSeparator) {
  EXPECT_EQ(folder_of("C:\\tools\\split\\colsplit.exe"), "C:\\tools\\split");
  // At a drive root only the drive is left, so the library lies at "X:\libxl.dll".
  EXPECT_EQ(folder_of("X:\\a.xlsx"), "X:");
  EXPECT_EQ(folder_of("a.xlsx"), "");
  EXPECT_EQ(folder_of(""), "");
  EXPECT_EQ(folder_of("\\\\server\\share\\a.xlsx"), "\\\\server\\share");
  EXPECT_EQ(folder_of("/home/user/a.xlsx"), "/home/user");
  EXPECT_EQ(folder_of("D:\\mixed/with\\both/a.xlsx"), "D:\\mixed/with\\both");
}

// 淺 is 9C 5C and 乗 is 81 5C: their trail byte is no separator.
TEST(FolderOf, TrailBytesAreNoSeparators) {
  EXPECT_EQ(folder_of(gbk(u8"D:\\表\\淺乗.xlsx")), gbk(u8"D:\\表"));
  EXPECT_EQ(folder_of(gbk(u8"D:\\淺\\a.xlsx")), gbk(u8"D:\\淺"));
  EXPECT_EQ(folder_of(gbk(u8"乗.xlsx")), "");
  EXPECT_EQ(folder_of("D:\\a\x81\x5c" "b\\c.exe"), "D:\\a\x81\x5c" "b");
  EXPECT_EQ(folder_of("D:\\a\\\x81\x5c.exe"), "D:\\a");
  EXPECT_EQ(last_path_separator(gbk(u8"淺乗")), std::string::npos);
  // A lead byte at the very end is a byte of its own; the separator before
  // it still counts.
  EXPECT_EQ(last_path_separator("a\\\x81"), 1u);
}

TEST(ExecutablePath, NamesThisTestProgram) {
  const Text path = executable_path();
  ASSERT_FALSE(path.empty());
  const Text name = path.substr(last_path_separator(path) + 1);
  EXPECT_EQ(name.substr(0, 9), "text_test") << path;
  EXPECT_FALSE(folder_of(path).empty());
}

}  // namespace
}  // namespace colsplit
