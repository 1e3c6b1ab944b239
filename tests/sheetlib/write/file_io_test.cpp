#include "text/whole_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sheetlib/support/scratch_folder.h"
#include "support/gbk_literal.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace sheetlib {
namespace {

using colsplit::testing::gbk;
using colsplit::testing::ScratchFolder;
using colsplit::FileStatus;
using colsplit::read_whole_file;
using colsplit::write_file_atomically;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ReadWholeFile, ReadsEveryByte) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path("data.bin");
  const std::string bytes("a\0b\r\n\xff", 6);
  ASSERT_TRUE(write_file_atomically(path, bytes));
  std::string read;
  EXPECT_EQ(read_whole_file(path, read, 100), FileStatus::ok);
  EXPECT_EQ(read, bytes);
}

TEST(ReadWholeFile, FailuresSayWhy) {
  ScratchFolder folder;
  std::string read = "untouched";
  EXPECT_EQ(read_whole_file(folder.gbk_path("missing.xlsx"), read, 100), FileStatus::not_found);
  EXPECT_EQ(read_whole_file(folder.gbk_path("no-folder") + ScratchFolder::separator() + "x.xlsx", read, 100),
            FileStatus::not_found);
  EXPECT_EQ(read_whole_file("", read, 100), FileStatus::not_found);
  EXPECT_EQ(read_whole_file(folder.gbk_path(), read, 100), FileStatus::unreadable);  // a folder
  ASSERT_TRUE(write_file_atomically(folder.gbk_path("big"), std::string(101, 'x')));
  EXPECT_EQ(read_whole_file(folder.gbk_path("big"), read, 100), FileStatus::too_large);
  EXPECT_EQ(read, "untouched");
}

TEST(WriteFileAtomically, ReplacesTheTargetAndLeavesNothingElse) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path("book.xlsx");
  ASSERT_TRUE(write_file_atomically(path, "first version"));
  ASSERT_TRUE(write_file_atomically(path, "second"));
  std::string read;
  ASSERT_EQ(read_whole_file(path, read, 100), FileStatus::ok);
  EXPECT_EQ(read, "second");
  EXPECT_THAT(folder.entries(), ElementsAre("book.xlsx"));
}

TEST(WriteFileAtomically, ChineseNamesAreGbkPaths) {
  ScratchFolder folder;
  if (!folder.holds_chinese_names()) GTEST_SKIP() << "the host file system takes no Chinese names";
  const std::string path = folder.gbk_path(gbk(u8"按内容导出_北京.xlsx"));
  ASSERT_TRUE(write_file_atomically(path, "x"));
  EXPECT_THAT(folder.entries(), ElementsAre("按内容导出_北京.xlsx"));
  std::string read;
  EXPECT_EQ(read_whole_file(path, read, 100), FileStatus::ok);
}

TEST(WriteFileAtomically, MissingFolderFailsWithoutLeavingAnything) {
  ScratchFolder folder;
  EXPECT_FALSE(write_file_atomically(folder.gbk_path("absent") + ScratchFolder::separator() + "book.xlsx", "x"));
  EXPECT_FALSE(write_file_atomically("", "x"));
  EXPECT_THAT(folder.entries(), IsEmpty());
}

TEST(WriteFileAtomically, TargetThatIsAFolderFailsAndStays) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder.path() / "book.xlsx");
  EXPECT_FALSE(write_file_atomically(folder.gbk_path("book.xlsx"), "x"));
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "book.xlsx"));
  EXPECT_THAT(folder.entries(), ElementsAre("book.xlsx"));
}

TEST(WriteFileAtomically, PathsLongerThan260Characters) {
  ScratchFolder folder;
  if (!folder.holds_chinese_names()) GTEST_SKIP() << "the host file system takes no Chinese names";
  std::string path = folder.gbk_path();
  for (int level = 0; level < 4; ++level) {
    path += ScratchFolder::separator() + std::string(70, static_cast<char>('a' + level));
#ifdef _WIN32
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + colsplit::gbk_to_wide(path)).c_str(), nullptr));
#else
    ASSERT_TRUE(std::filesystem::create_directory(path));
#endif
  }
  path += ScratchFolder::separator() + gbk(u8"北京.xlsx");
  ASSERT_GT(path.size(), 300u);
  ASSERT_TRUE(write_file_atomically(path, "long"));
  std::string read;
  ASSERT_EQ(read_whole_file(path, read, 100), FileStatus::ok);
  EXPECT_EQ(read, "long");
}

#ifdef _WIN32
TEST(WriteFileAtomically, TargetHeldOpenFailsAndKeepsItsContent) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path("open.xlsx");
  ASSERT_TRUE(write_file_atomically(path, "old"));
  // As a spreadsheet application holds a workbook it has open.
  HANDLE held = CreateFileW(colsplit::gbk_to_wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(write_file_atomically(path, "new"));
  CloseHandle(held);
  std::string read;
  ASSERT_EQ(read_whole_file(path, read, 100), FileStatus::ok);
  EXPECT_EQ(read, "old");
  EXPECT_THAT(folder.entries(), ElementsAre("open.xlsx"));
}
#endif

}  // namespace
}  // namespace sheetlib
