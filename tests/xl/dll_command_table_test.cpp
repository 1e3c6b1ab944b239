#include <gtest/gtest.h>

#include <string>

#include "xl/binding.h"
#include "xl/dll_command_table.h"
#include "xl/platform.h"
#include "xl/workbook_provisioning.h"

namespace colsplit::xl {
namespace {

// The table's order and names are the program's contract (a row's number,
// counted from 1, is what the stack-check report names): new rows go at the
// end. Every row is the spreadsheet library's but the directory test.
TEST(DllCommandTable, RowsKeepTheirOrderNamesAndLibraries) {
  const char* const expected[] = {
      "xlBookLoadA", "xlBookReleaseA", "xlBookGetSheetA", "xlSheetLastRowA", "xlSheetLastColA", "xlSheetReadStrA",
      "xlCreateXMLBookCA", "PathIsDirectoryA", "xlBookSheetCountA", "xlBookInsertSheetA", "xlBookAddFormatA",
      "xlFormatSetBorderA", "xlSheetWriteStrA", "xlSheetAddIgnoredErrorA", "xlSheetSetColA", "xlBookSaveA",
      "xlBookLoadSheetA", "xlSheetNameA", "xlSheetCellTypeA", "xlSheetReadNumA", "xlSheetReadBoolA",
      "xlFormatNumFormatA", "xlBookCustomNumFormatA", "xlBookAddCustomNumFormatA", "xlFormatSetNumFormatA",
      "xlSheetWriteNumA", "xlSheetWriteBoolA", "xlSheetSetMergeA", "xlSheetMergeSizeA", "xlSheetMergeA",
      "xlSheetColWidthA", "xlBookErrorMessageA",
      "xlBookSetKeepFormatA", "xlSheetCellFormatA", "xlSheetRowHeightA", "xlSheetRowHiddenA", "xlSheetSetRowA",
      "xlSheetColHiddenA", "xlSheetDefaultRowHeightA", "xlSheetSetDefaultRowHeightA", "xlSheetDefaultColWidthA",
      "xlSheetSetDefaultColWidthA", "xlSheetGetSplitA", "xlSheetSplitA", "xlSheetZoomA", "xlSheetSetZoomA",
      "xlSheetDisplayGridlinesA", "xlSheetSetDisplayGridlinesA", "xlSheetRightToLeftA", "xlSheetSetRightToLeftA",
      "xlSheetGetAutoFilterA", "xlSheetSetAutoFilterA", "xlSheetDataValidationSizeA", "xlSheetDataValidationRangeA",
      "xlSheetCopyDataValidationA", "xlSheetConditionalFormatSizeA", "xlSheetConditionalFormatRangeA",
      "xlSheetCopyConditionalFormatA", "xlSheetHyperlinkSizeA", "xlSheetHyperlinkRangeA", "xlSheetCopyHyperlinkA",
      "xlSheetCopyPageSetupA", "xlSheetGetPrintRepeatRowsA", "xlSheetSetPrintRepeatRowsA",
      "xlSheetGetPrintRepeatColsA", "xlSheetSetPrintRepeatColsA", "xlSheetGetPrintAreaA", "xlSheetSetPrintAreaA",
      "xlSheetClearA",
  };
  ASSERT_EQ(std::size(expected), kRowCount);
  for (std::size_t i = 0; i < kRowCount; ++i) {
    EXPECT_STREQ(kFunctionNames[i], expected[i]);
    EXPECT_STREQ(kLibraryFiles[i], i == row_index(Row::PathIsDirectoryA) ? "shlwapi" : "libxl.dll");
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
