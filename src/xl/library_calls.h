// The functions of the DLL-command table, as the rest of the program calls
// them. Each call goes through the binding (bound by name at its first call;
// a bound row goes straight to its address) and, on 32-bit Windows, through
// the stack check. Texts cross as GBK; the empty text crosses as null, and a
// returned text is copied at once (null gives the empty text).
//
// Each wrapper takes, last, the place it is called from (filled in by the
// compiler): a call that leaves the stack unbalanced is reported with the
// table row's number (counted from 1) and the caller's source line.
#pragma once

#include <source_location>
#include <string_view>

#include "sheetlib/interface/library_functions.h"
#include "text/text.h"

namespace colsplit::xl {

// The library's opaque handles: stored and handed back, never looked into.
// Each points to a type of its own that is never defined, so that handing a
// sheet where a book is wanted does not compile. They cross to the library
// as the plain pointers its C functions take.
struct LibraryBook;
struct LibrarySheet;
struct LibraryFormat;
using BookHandle = LibraryBook*;
using SheetHandle = LibrarySheet*;
using FormatHandle = LibraryFormat*;

using CallSite = std::source_location;

int xlBookLoadA(BookHandle book, const Text& file_name, CallSite where = CallSite::current());
void xlBookReleaseA(BookHandle book, CallSite where = CallSite::current());
SheetHandle xlBookGetSheetA(BookHandle book, int index, CallSite where = CallSite::current());
int xlSheetLastRowA(SheetHandle sheet, CallSite where = CallSite::current());
int xlSheetLastColA(SheetHandle sheet, CallSite where = CallSite::current());
Text xlSheetReadStrA(SheetHandle sheet, int row, int column, FormatHandle* format,
                     CallSite where = CallSite::current());
BookHandle xlCreateXMLBookCA(CallSite where = CallSite::current());
int PathIsDirectoryA(const Text& path, CallSite where = CallSite::current());
int xlBookSheetCountA(BookHandle book, CallSite where = CallSite::current());
SheetHandle xlBookInsertSheetA(BookHandle book, int index, const Text& name, SheetHandle sheet_to_copy,
                               CallSite where = CallSite::current());
FormatHandle xlBookAddFormatA(BookHandle book, FormatHandle format_to_copy, CallSite where = CallSite::current());
void xlFormatSetBorderA(FormatHandle format, int style, CallSite where = CallSite::current());
int xlSheetWriteStrA(SheetHandle sheet, int row, int column, const Text& value, FormatHandle format,
                     CallSite where = CallSite::current());
int xlSheetAddIgnoredErrorA(SheetHandle sheet, int first_row, int first_column, int last_row, int last_column,
                            int error_flags, CallSite where = CallSite::current());
int xlSheetSetColA(SheetHandle sheet, int first_column, int last_column, double width, FormatHandle format,
                   int hidden, CallSite where = CallSite::current());
int xlBookSaveA(BookHandle book, const Text& file_name, CallSite where = CallSite::current());

int xlBookLoadSheetA(BookHandle book, const Text& file_name, int index, CallSite where = CallSite::current());
Text xlSheetNameA(SheetHandle sheet, CallSite where = CallSite::current());
int xlSheetCellTypeA(SheetHandle sheet, int row, int column, CallSite where = CallSite::current());
double xlSheetReadNumA(SheetHandle sheet, int row, int column, FormatHandle* format,
                       CallSite where = CallSite::current());
int xlSheetReadBoolA(SheetHandle sheet, int row, int column, FormatHandle* format,
                     CallSite where = CallSite::current());
int xlFormatNumFormatA(FormatHandle format, CallSite where = CallSite::current());
Text xlBookCustomNumFormatA(BookHandle book, int id, CallSite where = CallSite::current());
int xlBookAddCustomNumFormatA(BookHandle book, const Text& code, CallSite where = CallSite::current());
void xlFormatSetNumFormatA(FormatHandle format, int id, CallSite where = CallSite::current());
int xlSheetWriteNumA(SheetHandle sheet, int row, int column, double value, FormatHandle format,
                     CallSite where = CallSite::current());
int xlSheetWriteBoolA(SheetHandle sheet, int row, int column, int value, FormatHandle format,
                      CallSite where = CallSite::current());
int xlSheetSetMergeA(SheetHandle sheet, int first_row, int last_row, int first_column, int last_column,
                     CallSite where = CallSite::current());
int xlSheetMergeSizeA(SheetHandle sheet, CallSite where = CallSite::current());
int xlSheetMergeA(SheetHandle sheet, int index, int* first_row, int* last_row, int* first_column, int* last_column,
                  CallSite where = CallSite::current());
double xlSheetColWidthA(SheetHandle sheet, int column, CallSite where = CallSite::current());
void xlBookSetKeepFormatA(BookHandle book, int keep, CallSite where = CallSite::current());
FormatHandle xlSheetCellFormatA(SheetHandle sheet, int row, int col, CallSite where = CallSite::current());
double xlSheetRowHeightA(SheetHandle sheet, int row, CallSite where = CallSite::current());
int xlSheetRowHiddenA(SheetHandle sheet, int row, CallSite where = CallSite::current());
int xlSheetSetRowA(SheetHandle sheet, int row, double height, FormatHandle format, int hidden, CallSite where = CallSite::current());
int xlSheetColHiddenA(SheetHandle sheet, int col, CallSite where = CallSite::current());
double xlSheetDefaultRowHeightA(SheetHandle sheet, CallSite where = CallSite::current());
void xlSheetSetDefaultRowHeightA(SheetHandle sheet, double height, CallSite where = CallSite::current());
double xlSheetDefaultColWidthA(SheetHandle sheet, CallSite where = CallSite::current());
void xlSheetSetDefaultColWidthA(SheetHandle sheet, double width, CallSite where = CallSite::current());
int xlSheetGetSplitA(SheetHandle sheet, int* row, int* col, CallSite where = CallSite::current());
void xlSheetSplitA(SheetHandle sheet, int row, int col, CallSite where = CallSite::current());
int xlSheetZoomA(SheetHandle sheet, CallSite where = CallSite::current());
void xlSheetSetZoomA(SheetHandle sheet, int zoom, CallSite where = CallSite::current());
int xlSheetDisplayGridlinesA(SheetHandle sheet, CallSite where = CallSite::current());
void xlSheetSetDisplayGridlinesA(SheetHandle sheet, int show, CallSite where = CallSite::current());
int xlSheetRightToLeftA(SheetHandle sheet, CallSite where = CallSite::current());
void xlSheetSetRightToLeftA(SheetHandle sheet, int right_to_left, CallSite where = CallSite::current());
int xlSheetGetAutoFilterA(SheetHandle sheet, int* first_row, int* last_row, int* first_column, int* last_column, CallSite where = CallSite::current());
int xlSheetSetAutoFilterA(SheetHandle sheet, int first_row, int last_row, int first_column, int last_column, CallSite where = CallSite::current());
int xlSheetDataValidationSizeA(SheetHandle sheet, CallSite where = CallSite::current());
int xlSheetDataValidationRangeA(SheetHandle sheet, int index, int range, int* first_row, int* last_row, int* first_column, int* last_column, CallSite where = CallSite::current());
int xlSheetCopyDataValidationA(SheetHandle sheet, SheetHandle from, int index, const int* ranges, int range_count, CallSite where = CallSite::current());
int xlSheetConditionalFormatSizeA(SheetHandle sheet, CallSite where = CallSite::current());
int xlSheetConditionalFormatRangeA(SheetHandle sheet, int index, int range, int* first_row, int* last_row, int* first_column, int* last_column, CallSite where = CallSite::current());
int xlSheetCopyConditionalFormatA(SheetHandle sheet, SheetHandle from, int index, const int* ranges, int range_count, CallSite where = CallSite::current());
int xlSheetHyperlinkSizeA(SheetHandle sheet, CallSite where = CallSite::current());
int xlSheetHyperlinkRangeA(SheetHandle sheet, int index, int* first_row, int* last_row, int* first_column, int* last_column, CallSite where = CallSite::current());
int xlSheetCopyHyperlinkA(SheetHandle sheet, SheetHandle from, int index, int first_row, int last_row, int first_column, int last_column, CallSite where = CallSite::current());
int xlSheetCopyPageSetupA(SheetHandle sheet, SheetHandle from, CallSite where = CallSite::current());
int xlSheetGetPrintRepeatRowsA(SheetHandle sheet, int* first_row, int* last_row, CallSite where = CallSite::current());
int xlSheetSetPrintRepeatRowsA(SheetHandle sheet, int first_row, int last_row, CallSite where = CallSite::current());
int xlSheetGetPrintRepeatColsA(SheetHandle sheet, int* first_column, int* last_column, CallSite where = CallSite::current());
int xlSheetSetPrintRepeatColsA(SheetHandle sheet, int first_column, int last_column, CallSite where = CallSite::current());
int xlSheetGetPrintAreaA(SheetHandle sheet, int* first_row, int* last_row, int* first_column, int* last_column, CallSite where = CallSite::current());
int xlSheetSetPrintAreaA(SheetHandle sheet, int first_row, int last_row, int first_column, int last_column, CallSite where = CallSite::current());
int xlSheetClearA(SheetHandle sheet, int first_row, int last_row, int first_column, int last_column,
                  CallSite where = CallSite::current());
// Why the book's last load or save failed ("ok" after a success).
Text xlBookErrorMessageA(BookHandle book, CallSite where = CallSite::current());
// What it answers when memory ran short.
inline constexpr std::string_view kOutOfMemoryReason = "out of memory";

// What xlSheetCellTypeA answers.
enum CellType : int { kEmptyCell = 0, kNumberCell, kStringCell, kBooleanCell, kBlankCell, kErrorCell };

// The rows of the DLL-command table, in the table's order.
enum class Row {
#define COLSPLIT_XL_ROW(result, name, parameters) name,
#define COLSPLIT_XL_WINDOWS_ROW(library_file, result, name, parameters) name,
  COLSPLIT_DLL_COMMAND_TABLE(COLSPLIT_XL_ROW, COLSPLIT_XL_WINDOWS_ROW)
#undef COLSPLIT_XL_ROW
#undef COLSPLIT_XL_WINDOWS_ROW
  count
};

// Gives back the library reference of every bound row (one FreeLibrary per
// bound row); run at the end of the program.
void release_bound_libraries();

namespace testing {
// Binds a row to a function of the caller's (a stand-in with the row's C
// signature and calling convention), as if it had been found in a library.
// The spreadsheet rows are __cdecl; PathIsDirectoryA is a Windows API
// function (WINAPI, __stdcall on 32-bit Windows), and so must its stand-in
// be, or the stack check ends the program with the code 6 report.
void bind_row(Row row, void* address);
// Forgets every binding, those made by bind_row and those found in a
// library (whose references are given back): the next call binds afresh.
void unbind_all();
}  // namespace testing

}  // namespace colsplit::xl
