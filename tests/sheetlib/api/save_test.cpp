// Saving through the C interface: a failed save returns 0 and leaves the
// folder as it was, an earlier file of the same name included.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "sheetlib/api/book_guard.h"
#include "sheetlib/sheetlib.h"
#include "sheetlib/support/scratch_folder.h"
#include "support/gbk_literal.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using colsplit::testing::BookGuard;
using colsplit::testing::gbk;
using colsplit::testing::ScratchFolder;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string file_content(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A book of one sheet with `rows` rows of bordered cells.
void fill(BookHandle book, int rows) {
  SheetHandle sheet = xlBookInsertSheetA(book, 0, "Sheet1", nullptr);
  FormatHandle border = xlBookAddFormatA(book, nullptr);
  xlFormatSetBorderA(border, 1);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < 10; ++column) {
      xlSheetWriteStrA(sheet, row, column, std::to_string(row * 10 + column).c_str(), border);
    }
  }
}

TEST(Save, WritesAZipAndReplacesAnEarlierFile) {
  ScratchFolder folder;
  if (!folder.holds_chinese_names()) GTEST_SKIP() << "the host file system takes no Chinese names";
  const std::string path = folder.gbk_path(gbk(u8"按内容导出_北京.xlsx"));
  {
    std::ofstream old(folder.path() / u8"按内容导出_北京.xlsx");
    old << "an older file";
  }
  BookGuard book;
  fill(book, 3);
  ASSERT_EQ(xlBookSaveA(book, path.c_str()), 1);
  EXPECT_EQ(file_content(folder.path() / u8"按内容导出_北京.xlsx").substr(0, 4), "PK\x03\x04");
  EXPECT_THAT(folder.entries(), ElementsAre("按内容导出_北京.xlsx"));
  // Saving again gives the same workbook.
  ASSERT_EQ(xlBookSaveA(book, path.c_str()), 1);
  EXPECT_THAT(folder.entries(), ElementsAre("按内容导出_北京.xlsx"));
}

TEST(Save, BookWithoutSheetOrPathIsNotSaved) {
  ScratchFolder folder;
  BookGuard empty;
  EXPECT_EQ(xlBookSaveA(empty, folder.gbk_path("empty.xlsx").c_str()), 0);
  BookGuard book;
  fill(book, 1);
  EXPECT_EQ(xlBookSaveA(book, nullptr), 0);
  EXPECT_EQ(xlBookSaveA(book, ""), 0);
  EXPECT_THAT(folder.entries(), IsEmpty());
}

TEST(Save, MissingFolderFails) {
  ScratchFolder folder;
  BookGuard book;
  fill(book, 2);
  const std::string path = folder.gbk_path("absent") + ScratchFolder::separator() + "book.xlsx";
  EXPECT_EQ(xlBookSaveA(book, path.c_str()), 0);
  EXPECT_THAT(folder.entries(), IsEmpty());
}

#ifdef _WIN32

TEST(Save, TargetHeldOpenFailsAndKeepsTheOpenFile) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path("open.xlsx");
  {
    std::ofstream old(folder.path() / "open.xlsx");
    old << "held";
  }
  HANDLE held = CreateFileW(colsplit::gbk_to_wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  BookGuard book;
  fill(book, 2);
  EXPECT_EQ(xlBookSaveA(book, path.c_str()), 0);
  CloseHandle(held);
  EXPECT_EQ(file_content(folder.path() / "open.xlsx"), "held");
  EXPECT_THAT(folder.entries(), ElementsAre("open.xlsx"));
}

#else

TEST(Save, ReadOnlyFolderFails) {
  BookGuard book;
  fill(book, 2);
  if (geteuid() == 0) {
    // Permissions do not stop root; nothing can be created in /proc.
    EXPECT_EQ(xlBookSaveA(book, "/proc/sheetlib-test.xlsx"), 0);
    return;
  }
  ScratchFolder folder;
  ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
  EXPECT_EQ(xlBookSaveA(book, folder.gbk_path("book.xlsx").c_str()), 0);
  chmod(folder.path().c_str(), 0755);
  EXPECT_THAT(folder.entries(), IsEmpty());
}

TEST(Save, FullDiskFailsAndKeepsTheEarlierFile) {
  ScratchFolder folder;
  const std::string path = folder.gbk_path("book.xlsx");
  {
    std::ofstream old(folder.path() / "book.xlsx");
    old << "earlier";
  }
  BookGuard book;
  fill(book, 5000);  // far more than the file size limit below
  // A file size limit makes the write fail the way a full disk does.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int result = xlBookSaveA(book, path.c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous_handler);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(file_content(folder.path() / "book.xlsx"), "earlier");
  EXPECT_THAT(folder.entries(), ElementsAre("book.xlsx"));
}

#endif

}  // namespace
