#include "xl/dll_command_table.h"

namespace colsplit::xl {

namespace {
constexpr const char* kSpreadsheetLibrary = "libxl.dll";
constexpr const char* kShellLibrary = "shlwapi";
}  // namespace

const char* const kLibraryFiles[kRowCount] = {
    kSpreadsheetLibrary,  // xlBookLoadA
    kSpreadsheetLibrary,  // xlBookReleaseA
    kSpreadsheetLibrary,  // xlBookGetSheetA
    kSpreadsheetLibrary,  // xlSheetLastRowA
    kSpreadsheetLibrary,  // xlSheetLastColA
    kSpreadsheetLibrary,  // xlSheetReadStrA
    kSpreadsheetLibrary,  // xlCreateXMLBookCA
    kShellLibrary,        // PathIsDirectoryA
    kSpreadsheetLibrary,  // xlBookSheetCountA
    kSpreadsheetLibrary,  // xlBookInsertSheetA
    kSpreadsheetLibrary,  // xlBookAddFormatA
    kSpreadsheetLibrary,  // xlFormatSetBorderA
    kSpreadsheetLibrary,  // xlSheetWriteStrA
    kSpreadsheetLibrary,  // xlSheetAddIgnoredErrorA
    kSpreadsheetLibrary,  // xlSheetSetColA
    kSpreadsheetLibrary,  // xlBookSaveA
    kSpreadsheetLibrary,  // xlBookLoadSheetA
    kSpreadsheetLibrary,  // xlSheetNameA
    kSpreadsheetLibrary,  // xlSheetCellTypeA
    kSpreadsheetLibrary,  // xlSheetReadNumA
    kSpreadsheetLibrary,  // xlSheetReadBoolA
    kSpreadsheetLibrary,  // xlFormatNumFormatA
    kSpreadsheetLibrary,  // xlBookCustomNumFormatA
    kSpreadsheetLibrary,  // xlBookAddCustomNumFormatA
    kSpreadsheetLibrary,  // xlFormatSetNumFormatA
    kSpreadsheetLibrary,  // xlSheetWriteNumA
    kSpreadsheetLibrary,  // xlSheetWriteBoolA
    kSpreadsheetLibrary,  // xlSheetSetMergeA
    kSpreadsheetLibrary,  // xlSheetMergeSizeA
    kSpreadsheetLibrary,  // xlSheetMergeA
    kSpreadsheetLibrary,  // xlSheetColWidthA
    kSpreadsheetLibrary,  // xlBookErrorMessageA
};

const char* const kFunctionNames[kRowCount] = {
    "xlBookLoadA",       "xlBookReleaseA",     "xlBookGetSheetA",   "xlSheetLastRowA",
    "xlSheetLastColA",   "xlSheetReadStrA",    "xlCreateXMLBookCA", "PathIsDirectoryA",
    "xlBookSheetCountA", "xlBookInsertSheetA", "xlBookAddFormatA",  "xlFormatSetBorderA",
    "xlSheetWriteStrA",  "xlSheetAddIgnoredErrorA", "xlSheetSetColA", "xlBookSaveA",
    "xlBookLoadSheetA",
    "xlSheetNameA",
    "xlSheetCellTypeA",
    "xlSheetReadNumA",
    "xlSheetReadBoolA",
    "xlFormatNumFormatA",
    "xlBookCustomNumFormatA",
    "xlBookAddCustomNumFormatA",
    "xlFormatSetNumFormatA",
    "xlSheetWriteNumA",
    "xlSheetWriteBoolA",
    "xlSheetSetMergeA",
    "xlSheetMergeSizeA",
    "xlSheetMergeA",
    "xlSheetColWidthA",
    "xlBookErrorMessageA",
};

}  // namespace colsplit::xl
