// The DLL-command table: every external function the program calls, listed
// once, in the table's order. The order is the program's contract (a call
// that leaves the stack unbalanced is reported with its row's number,
// counted from 1), so new rows go at the end.
//
// COLSPLIT_DLL_COMMAND_TABLE(LIBRARY_FUNCTION, WINDOWS_FUNCTION) expands
//   LIBRARY_FUNCTION(result, name, (parameter types))
// for a function of the spreadsheet library (libxl.dll, the C calling
// convention, declared and documented in sheetlib/sheetlib.h), and
//   WINDOWS_FUNCTION(library file, result, name, (parameter types))
// for a Windows API function (WINAPI: the callee takes its arguments off
// the stack) of a system library.
//
// The types are named as both sides name them: BookHandle, SheetHandle and
// FormatHandle are the library's opaque handles (the program has types of
// its own under those names), texts are const char* (GBK, zero-terminated).
// The library checks its header's declarations against this list and the
// program's wrappers call through the signatures given here, both at
// compile time.
#pragma once

#define COLSPLIT_DLL_COMMAND_TABLE(LIBRARY_FUNCTION, WINDOWS_FUNCTION)                              \
  LIBRARY_FUNCTION(int, xlBookLoadA, (BookHandle, const char*))                                    \
  LIBRARY_FUNCTION(void, xlBookReleaseA, (BookHandle))                                             \
  LIBRARY_FUNCTION(SheetHandle, xlBookGetSheetA, (BookHandle, int))                                \
  LIBRARY_FUNCTION(int, xlSheetLastRowA, (SheetHandle))                                            \
  LIBRARY_FUNCTION(int, xlSheetLastColA, (SheetHandle))                                            \
  LIBRARY_FUNCTION(const char*, xlSheetReadStrA, (SheetHandle, int, int, FormatHandle*))           \
  LIBRARY_FUNCTION(BookHandle, xlCreateXMLBookCA, ())                                              \
  WINDOWS_FUNCTION("shlwapi", int, PathIsDirectoryA, (const char*))                                \
  LIBRARY_FUNCTION(int, xlBookSheetCountA, (BookHandle))                                           \
  LIBRARY_FUNCTION(SheetHandle, xlBookInsertSheetA, (BookHandle, int, const char*, SheetHandle))   \
  LIBRARY_FUNCTION(FormatHandle, xlBookAddFormatA, (BookHandle, FormatHandle))                     \
  LIBRARY_FUNCTION(void, xlFormatSetBorderA, (FormatHandle, int))                                  \
  LIBRARY_FUNCTION(int, xlSheetWriteStrA, (SheetHandle, int, int, const char*, FormatHandle))      \
  LIBRARY_FUNCTION(int, xlSheetAddIgnoredErrorA, (SheetHandle, int, int, int, int, int))           \
  LIBRARY_FUNCTION(int, xlSheetSetColA, (SheetHandle, int, int, double, FormatHandle, int))        \
  LIBRARY_FUNCTION(int, xlBookSaveA, (BookHandle, const char*))                                    \
  /* Sheets, typed cells, number formats, merged ranges and column widths. */                      \
  LIBRARY_FUNCTION(int, xlBookLoadSheetA, (BookHandle, const char*, int))                          \
  LIBRARY_FUNCTION(const char*, xlSheetNameA, (SheetHandle))                                       \
  LIBRARY_FUNCTION(int, xlSheetCellTypeA, (SheetHandle, int, int))                                 \
  LIBRARY_FUNCTION(double, xlSheetReadNumA, (SheetHandle, int, int, FormatHandle*))                \
  LIBRARY_FUNCTION(int, xlSheetReadBoolA, (SheetHandle, int, int, FormatHandle*))                  \
  LIBRARY_FUNCTION(int, xlFormatNumFormatA, (FormatHandle))                                        \
  LIBRARY_FUNCTION(const char*, xlBookCustomNumFormatA, (BookHandle, int))                         \
  LIBRARY_FUNCTION(int, xlBookAddCustomNumFormatA, (BookHandle, const char*))                      \
  LIBRARY_FUNCTION(void, xlFormatSetNumFormatA, (FormatHandle, int))                               \
  LIBRARY_FUNCTION(int, xlSheetWriteNumA, (SheetHandle, int, int, double, FormatHandle))           \
  LIBRARY_FUNCTION(int, xlSheetWriteBoolA, (SheetHandle, int, int, int, FormatHandle))             \
  LIBRARY_FUNCTION(int, xlSheetSetMergeA, (SheetHandle, int, int, int, int))                       \
  LIBRARY_FUNCTION(int, xlSheetMergeSizeA, (SheetHandle))                                          \
  LIBRARY_FUNCTION(int, xlSheetMergeA, (SheetHandle, int, int*, int*, int*, int*))                 \
  LIBRARY_FUNCTION(double, xlSheetColWidthA, (SheetHandle, int))                                   \
  LIBRARY_FUNCTION(const char*, xlBookErrorMessageA, (BookHandle))                                 \
  /* The look: every cell's format, rows, columns, view, filter, items, print setup. */            \
  LIBRARY_FUNCTION(void, xlBookSetKeepFormatA, (BookHandle, int))                                  \
  LIBRARY_FUNCTION(FormatHandle, xlSheetCellFormatA, (SheetHandle, int, int))                      \
  LIBRARY_FUNCTION(double, xlSheetRowHeightA, (SheetHandle, int))                                  \
  LIBRARY_FUNCTION(int, xlSheetRowHiddenA, (SheetHandle, int))                                     \
  LIBRARY_FUNCTION(int, xlSheetSetRowA, (SheetHandle, int, double, FormatHandle, int))             \
  LIBRARY_FUNCTION(int, xlSheetColHiddenA, (SheetHandle, int))                                     \
  LIBRARY_FUNCTION(double, xlSheetDefaultRowHeightA, (SheetHandle))                                \
  LIBRARY_FUNCTION(void, xlSheetSetDefaultRowHeightA, (SheetHandle, double))                       \
  LIBRARY_FUNCTION(double, xlSheetDefaultColWidthA, (SheetHandle))                                 \
  LIBRARY_FUNCTION(void, xlSheetSetDefaultColWidthA, (SheetHandle, double))                        \
  LIBRARY_FUNCTION(int, xlSheetGetSplitA, (SheetHandle, int*, int*))                               \
  LIBRARY_FUNCTION(void, xlSheetSplitA, (SheetHandle, int, int))                                   \
  LIBRARY_FUNCTION(int, xlSheetZoomA, (SheetHandle))                                               \
  LIBRARY_FUNCTION(void, xlSheetSetZoomA, (SheetHandle, int))                                      \
  LIBRARY_FUNCTION(int, xlSheetDisplayGridlinesA, (SheetHandle))                                   \
  LIBRARY_FUNCTION(void, xlSheetSetDisplayGridlinesA, (SheetHandle, int))                          \
  LIBRARY_FUNCTION(int, xlSheetRightToLeftA, (SheetHandle))                                        \
  LIBRARY_FUNCTION(void, xlSheetSetRightToLeftA, (SheetHandle, int))                               \
  LIBRARY_FUNCTION(int, xlSheetGetAutoFilterA, (SheetHandle, int*, int*, int*, int*))              \
  LIBRARY_FUNCTION(int, xlSheetSetAutoFilterA, (SheetHandle, int, int, int, int))                  \
  LIBRARY_FUNCTION(int, xlSheetDataValidationSizeA, (SheetHandle))                                 \
  LIBRARY_FUNCTION(int, xlSheetDataValidationRangeA, (SheetHandle, int, int, int*, int*, int*, int*))\
  LIBRARY_FUNCTION(int, xlSheetCopyDataValidationA, (SheetHandle, SheetHandle, int, const int*, int))\
  LIBRARY_FUNCTION(int, xlSheetConditionalFormatSizeA, (SheetHandle))                              \
  LIBRARY_FUNCTION(int, xlSheetConditionalFormatRangeA, (SheetHandle, int, int, int*, int*, int*, int*))\
  LIBRARY_FUNCTION(int, xlSheetCopyConditionalFormatA, (SheetHandle, SheetHandle, int, const int*, int))\
  LIBRARY_FUNCTION(int, xlSheetHyperlinkSizeA, (SheetHandle))                                      \
  LIBRARY_FUNCTION(int, xlSheetHyperlinkRangeA, (SheetHandle, int, int*, int*, int*, int*))        \
  LIBRARY_FUNCTION(int, xlSheetCopyHyperlinkA, (SheetHandle, SheetHandle, int, int, int, int, int))\
  LIBRARY_FUNCTION(int, xlSheetCopyPageSetupA, (SheetHandle, SheetHandle))                         \
  LIBRARY_FUNCTION(int, xlSheetGetPrintRepeatRowsA, (SheetHandle, int*, int*))                     \
  LIBRARY_FUNCTION(int, xlSheetSetPrintRepeatRowsA, (SheetHandle, int, int))                       \
  LIBRARY_FUNCTION(int, xlSheetGetPrintRepeatColsA, (SheetHandle, int*, int*))                     \
  LIBRARY_FUNCTION(int, xlSheetSetPrintRepeatColsA, (SheetHandle, int, int))                       \
  LIBRARY_FUNCTION(int, xlSheetGetPrintAreaA, (SheetHandle, int*, int*, int*, int*))               \
  LIBRARY_FUNCTION(int, xlSheetSetPrintAreaA, (SheetHandle, int, int, int, int))                   \
  LIBRARY_FUNCTION(int, xlSheetClearA, (SheetHandle, int, int, int, int))
