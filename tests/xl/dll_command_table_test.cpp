#include <gtest/gtest.h>

#include <string>

#include "xl/binding.h"
#include "xl/dll_command_table.h"
#include "xl/platform.h"
#include "xl/workbook_provisioning.h"

namespace colsplit::xl {
namespace {

// The Row enum and the two lists must stay in step: a row whose function
// name or library belongs to its neighbour would bind the wrong function.
TEST(DllCommandTable, RowsNameTheirOwnFunctionAndLibrary) {
  const struct {
    Row row;
    const char* function;
  } expected[] = {
      {Row::xlBookLoadA, "xlBookLoadA"},
      {Row::xlBookReleaseA, "xlBookReleaseA"},
      {Row::xlBookGetSheetA, "xlBookGetSheetA"},
      {Row::xlSheetLastRowA, "xlSheetLastRowA"},
      {Row::xlSheetLastColA, "xlSheetLastColA"},
      {Row::xlSheetReadStrA, "xlSheetReadStrA"},
      {Row::xlCreateXMLBookCA, "xlCreateXMLBookCA"},
      {Row::PathIsDirectoryA, "PathIsDirectoryA"},
      {Row::xlBookSheetCountA, "xlBookSheetCountA"},
      {Row::xlBookInsertSheetA, "xlBookInsertSheetA"},
      {Row::xlBookAddFormatA, "xlBookAddFormatA"},
      {Row::xlFormatSetBorderA, "xlFormatSetBorderA"},
      {Row::xlSheetWriteStrA, "xlSheetWriteStrA"},
      {Row::xlSheetAddIgnoredErrorA, "xlSheetAddIgnoredErrorA"},
      {Row::xlSheetSetColA, "xlSheetSetColA"},
      {Row::xlBookSaveA, "xlBookSaveA"},
      {Row::xlBookLoadSheetA, "xlBookLoadSheetA"},
      {Row::xlSheetNameA, "xlSheetNameA"},
      {Row::xlSheetCellTypeA, "xlSheetCellTypeA"},
      {Row::xlSheetReadNumA, "xlSheetReadNumA"},
      {Row::xlSheetReadBoolA, "xlSheetReadBoolA"},
      {Row::xlFormatNumFormatA, "xlFormatNumFormatA"},
      {Row::xlBookCustomNumFormatA, "xlBookCustomNumFormatA"},
      {Row::xlBookAddCustomNumFormatA, "xlBookAddCustomNumFormatA"},
      {Row::xlFormatSetNumFormatA, "xlFormatSetNumFormatA"},
      {Row::xlSheetWriteNumA, "xlSheetWriteNumA"},
      {Row::xlSheetWriteBoolA, "xlSheetWriteBoolA"},
      {Row::xlSheetSetMergeA, "xlSheetSetMergeA"},
      {Row::xlSheetMergeSizeA, "xlSheetMergeSizeA"},
      {Row::xlSheetMergeA, "xlSheetMergeA"},
      {Row::xlSheetColWidthA, "xlSheetColWidthA"},
      {Row::xlBookErrorMessageA, "xlBookErrorMessageA"},
  };
  ASSERT_EQ(std::size(expected), kRowCount);
  for (std::size_t i = 0; i < kRowCount; ++i) {
    EXPECT_EQ(row_index(expected[i].row), i);
    EXPECT_STREQ(kFunctionNames[i], expected[i].function);
    EXPECT_STREQ(kLibraryFiles[i], expected[i].row == Row::PathIsDirectoryA ? "shlwapi" : "libxl.dll");
  }
}

TEST(RunDirectory, HoldsTheRunningProgramAndItsLibrary) {
  const Text directory = run_directory();
  ASSERT_FALSE(directory.empty());
  const Text path = library_file_path();
  EXPECT_EQ(path.substr(0, directory.size() + 1), directory + platform::kPathSeparator);
#ifdef _WIN32
  EXPECT_EQ(path.substr(directory.size() + 1), "libxl.dll");
#else
  EXPECT_EQ(path.substr(directory.size() + 1), "libxl.so");
#endif
}

}  // namespace
}  // namespace colsplit::xl
