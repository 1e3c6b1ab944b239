// The typed wrappers of the table's rows. The argument types given to
// call_row are those of the library's C functions, in their order, and the
// convention is the one the function is declared with.
#include "xl/library_calls.h"

#include "xl/checked_call.h"

namespace colsplit::xl {

int xlBookLoadA(BookHandle book, const Text& file_name, CallSite where) {
  return call_row<int>(Row::xlBookLoadA, where, book, library_text(file_name));
}

void xlBookReleaseA(BookHandle book, CallSite where) { call_row<void>(Row::xlBookReleaseA, where, book); }

SheetHandle xlBookGetSheetA(BookHandle book, int index, CallSite where) {
  return call_row<SheetHandle>(Row::xlBookGetSheetA, where, book, index);
}

int xlSheetLastRowA(SheetHandle sheet, CallSite where) { return call_row<int>(Row::xlSheetLastRowA, where, sheet); }

int xlSheetLastColA(SheetHandle sheet, CallSite where) { return call_row<int>(Row::xlSheetLastColA, where, sheet); }

Text xlSheetReadStrA(SheetHandle sheet, int row, int column, FormatHandle* format, CallSite where) {
  return text_from_library(call_row<const char*>(Row::xlSheetReadStrA, where, sheet, row, column, format));
}

BookHandle xlCreateXMLBookCA(CallSite where) { return call_row<BookHandle>(Row::xlCreateXMLBookCA, where); }

int PathIsDirectoryA(const Text& path, CallSite where) {
  // A Windows API function: it removes its own argument.
  return call_row<int, Convention::windows_api>(Row::PathIsDirectoryA, where, library_text(path));
}

int xlBookSheetCountA(BookHandle book, CallSite where) { return call_row<int>(Row::xlBookSheetCountA, where, book); }

SheetHandle xlBookInsertSheetA(BookHandle book, int index, const Text& name, SheetHandle sheet_to_copy,
                               CallSite where) {
  return call_row<SheetHandle>(Row::xlBookInsertSheetA, where, book, index, library_text(name), sheet_to_copy);
}

FormatHandle xlBookAddFormatA(BookHandle book, FormatHandle format_to_copy, CallSite where) {
  return call_row<FormatHandle>(Row::xlBookAddFormatA, where, book, format_to_copy);
}

void xlFormatSetBorderA(FormatHandle format, int style, CallSite where) {
  call_row<void>(Row::xlFormatSetBorderA, where, format, style);
}

int xlSheetWriteStrA(SheetHandle sheet, int row, int column, const Text& value, FormatHandle format,
                     CallSite where) {
  return call_row<int>(Row::xlSheetWriteStrA, where, sheet, row, column, library_text(value), format);
}

int xlSheetAddIgnoredErrorA(SheetHandle sheet, int first_row, int first_column, int last_row, int last_column,
                            int error_flags, CallSite where) {
  return call_row<int>(Row::xlSheetAddIgnoredErrorA, where, sheet, first_row, first_column, last_row,
                       last_column, error_flags);
}

int xlSheetSetColA(SheetHandle sheet, int first_column, int last_column, double width, FormatHandle format,
                   int hidden, CallSite where) {
  return call_row<int>(Row::xlSheetSetColA, where, sheet, first_column, last_column, width, format, hidden);
}

int xlBookSaveA(BookHandle book, const Text& file_name, CallSite where) {
  return call_row<int>(Row::xlBookSaveA, where, book, library_text(file_name));
}

int xlBookLoadSheetA(BookHandle book, const Text& file_name, int index, CallSite where) {
  return call_row<int>(Row::xlBookLoadSheetA, where, book, library_text(file_name), index);
}

Text xlSheetNameA(SheetHandle sheet, CallSite where) {
  return text_from_library(call_row<const char*>(Row::xlSheetNameA, where, sheet));
}

int xlSheetCellTypeA(SheetHandle sheet, int row, int column, CallSite where) {
  return call_row<int>(Row::xlSheetCellTypeA, where, sheet, row, column);
}

double xlSheetReadNumA(SheetHandle sheet, int row, int column, FormatHandle* format, CallSite where) {
  return call_row<double>(Row::xlSheetReadNumA, where, sheet, row, column, format);
}

int xlSheetReadBoolA(SheetHandle sheet, int row, int column, FormatHandle* format, CallSite where) {
  return call_row<int>(Row::xlSheetReadBoolA, where, sheet, row, column, format);
}

int xlFormatNumFormatA(FormatHandle format, CallSite where) {
  return call_row<int>(Row::xlFormatNumFormatA, where, format);
}

Text xlBookCustomNumFormatA(BookHandle book, int id, CallSite where) {
  return text_from_library(call_row<const char*>(Row::xlBookCustomNumFormatA, where, book, id));
}

int xlBookAddCustomNumFormatA(BookHandle book, const Text& code, CallSite where) {
  return call_row<int>(Row::xlBookAddCustomNumFormatA, where, book, library_text(code));
}

void xlFormatSetNumFormatA(FormatHandle format, int id, CallSite where) {
  call_row<void>(Row::xlFormatSetNumFormatA, where, format, id);
}

int xlSheetWriteNumA(SheetHandle sheet, int row, int column, double value, FormatHandle format, CallSite where) {
  return call_row<int>(Row::xlSheetWriteNumA, where, sheet, row, column, value, format);
}

int xlSheetWriteBoolA(SheetHandle sheet, int row, int column, int value, FormatHandle format, CallSite where) {
  return call_row<int>(Row::xlSheetWriteBoolA, where, sheet, row, column, value, format);
}

int xlSheetSetMergeA(SheetHandle sheet, int first_row, int last_row, int first_column, int last_column,
                     CallSite where) {
  return call_row<int>(Row::xlSheetSetMergeA, where, sheet, first_row, last_row, first_column, last_column);
}

int xlSheetMergeSizeA(SheetHandle sheet, CallSite where) {
  return call_row<int>(Row::xlSheetMergeSizeA, where, sheet);
}

int xlSheetMergeA(SheetHandle sheet, int index, int* first_row, int* last_row, int* first_column, int* last_column,
                  CallSite where) {
  return call_row<int>(Row::xlSheetMergeA, where, sheet, index, first_row, last_row, first_column, last_column);
}

double xlSheetColWidthA(SheetHandle sheet, int column, CallSite where) {
  return call_row<double>(Row::xlSheetColWidthA, where, sheet, column);
}

Text xlBookErrorMessageA(BookHandle book, CallSite where) {
  return text_from_library(call_row<const char*>(Row::xlBookErrorMessageA, where, book));
}

}  // namespace colsplit::xl
