// The typed wrappers of the table's rows. call_row takes each row's C
// signature and calling convention from the table
// (sheetlib/interface/library_functions.h): the arguments handed to it must be
// of the C parameter types, in their order.
#include "xl/library_calls.h"

#include "xl/checked_call.h"

namespace colsplit::xl {

int xlBookLoadA(BookHandle book, const Text& file_name, CallSite where) {
  return call_row<Row::xlBookLoadA>(where, book, library_text(file_name));
}

void xlBookReleaseA(BookHandle book, CallSite where) { call_row<Row::xlBookReleaseA>(where, book); }

SheetHandle xlBookGetSheetA(BookHandle book, int index, CallSite where) {
  return call_row<Row::xlBookGetSheetA>(where, book, index);
}

int xlSheetLastRowA(SheetHandle sheet, CallSite where) { return call_row<Row::xlSheetLastRowA>(where, sheet); }

int xlSheetLastColA(SheetHandle sheet, CallSite where) { return call_row<Row::xlSheetLastColA>(where, sheet); }

Text xlSheetReadStrA(SheetHandle sheet, int row, int column, FormatHandle* format, CallSite where) {
  return text_from_library(call_row<Row::xlSheetReadStrA>(where, sheet, row, column, format));
}

BookHandle xlCreateXMLBookCA(CallSite where) { return call_row<Row::xlCreateXMLBookCA>(where); }

int PathIsDirectoryA(const Text& path, CallSite where) {
  return call_row<Row::PathIsDirectoryA>(where, library_text(path));
}

int xlBookSheetCountA(BookHandle book, CallSite where) { return call_row<Row::xlBookSheetCountA>(where, book); }

SheetHandle xlBookInsertSheetA(BookHandle book, int index, const Text& name, SheetHandle sheet_to_copy,
                               CallSite where) {
  return call_row<Row::xlBookInsertSheetA>(where, book, index, library_text(name), sheet_to_copy);
}

FormatHandle xlBookAddFormatA(BookHandle book, FormatHandle format_to_copy, CallSite where) {
  return call_row<Row::xlBookAddFormatA>(where, book, format_to_copy);
}

void xlFormatSetBorderA(FormatHandle format, int style, CallSite where) {
  call_row<Row::xlFormatSetBorderA>(where, format, style);
}

int xlSheetWriteStrA(SheetHandle sheet, int row, int column, const Text& value, FormatHandle format,
                     CallSite where) {
  return call_row<Row::xlSheetWriteStrA>(where, sheet, row, column, library_text(value), format);
}

int xlSheetAddIgnoredErrorA(SheetHandle sheet, int first_row, int first_column, int last_row, int last_column,
                            int error_flags, CallSite where) {
  return call_row<Row::xlSheetAddIgnoredErrorA>(where, sheet, first_row, first_column, last_row, last_column,
                                                error_flags);
}

int xlSheetSetColA(SheetHandle sheet, int first_column, int last_column, double width, FormatHandle format,
                   int hidden, CallSite where) {
  return call_row<Row::xlSheetSetColA>(where, sheet, first_column, last_column, width, format, hidden);
}

int xlBookSaveA(BookHandle book, const Text& file_name, CallSite where) {
  return call_row<Row::xlBookSaveA>(where, book, library_text(file_name));
}

int xlBookLoadSheetA(BookHandle book, const Text& file_name, int index, CallSite where) {
  return call_row<Row::xlBookLoadSheetA>(where, book, library_text(file_name), index);
}

Text xlSheetNameA(SheetHandle sheet, CallSite where) {
  return text_from_library(call_row<Row::xlSheetNameA>(where, sheet));
}

int xlSheetCellTypeA(SheetHandle sheet, int row, int column, CallSite where) {
  return call_row<Row::xlSheetCellTypeA>(where, sheet, row, column);
}

double xlSheetReadNumA(SheetHandle sheet, int row, int column, FormatHandle* format, CallSite where) {
  return call_row<Row::xlSheetReadNumA>(where, sheet, row, column, format);
}

int xlSheetReadBoolA(SheetHandle sheet, int row, int column, FormatHandle* format, CallSite where) {
  return call_row<Row::xlSheetReadBoolA>(where, sheet, row, column, format);
}

int xlFormatNumFormatA(FormatHandle format, CallSite where) {
  return call_row<Row::xlFormatNumFormatA>(where, format);
}

Text xlBookCustomNumFormatA(BookHandle book, int id, CallSite where) {
  return text_from_library(call_row<Row::xlBookCustomNumFormatA>(where, book, id));
}

int xlBookAddCustomNumFormatA(BookHandle book, const Text& code, CallSite where) {
  return call_row<Row::xlBookAddCustomNumFormatA>(where, book, library_text(code));
}

void xlFormatSetNumFormatA(FormatHandle format, int id, CallSite where) {
  call_row<Row::xlFormatSetNumFormatA>(where, format, id);
}

int xlSheetWriteNumA(SheetHandle sheet, int row, int column, double value, FormatHandle format, CallSite where) {
  return call_row<Row::xlSheetWriteNumA>(where, sheet, row, column, value, format);
}

int xlSheetWriteBoolA(SheetHandle sheet, int row, int column, int value, FormatHandle format, CallSite where) {
  return call_row<Row::xlSheetWriteBoolA>(where, sheet, row, column, value, format);
}

int xlSheetSetMergeA(SheetHandle sheet, int first_row, int last_row, int first_column, int last_column,
                     CallSite where) {
  return call_row<Row::xlSheetSetMergeA>(where, sheet, first_row, last_row, first_column, last_column);
}

int xlSheetMergeSizeA(SheetHandle sheet, CallSite where) {
  return call_row<Row::xlSheetMergeSizeA>(where, sheet);
}

int xlSheetMergeA(SheetHandle sheet, int index, int* first_row, int* last_row, int* first_column, int* last_column,
                  CallSite where) {
  return call_row<Row::xlSheetMergeA>(where, sheet, index, first_row, last_row, first_column, last_column);
}

double xlSheetColWidthA(SheetHandle sheet, int column, CallSite where) {
  return call_row<Row::xlSheetColWidthA>(where, sheet, column);
}

Text xlBookErrorMessageA(BookHandle book, CallSite where) {
  return text_from_library(call_row<Row::xlBookErrorMessageA>(where, book));
}

void xlBookSetKeepFormatA(BookHandle book, int keep, CallSite where) {
  call_row<Row::xlBookSetKeepFormatA>(where, book, keep);
}

FormatHandle xlSheetCellFormatA(SheetHandle sheet, int row, int col, CallSite where) {
  return call_row<Row::xlSheetCellFormatA>(where, sheet, row, col);
}

double xlSheetRowHeightA(SheetHandle sheet, int row, CallSite where) {
  return call_row<Row::xlSheetRowHeightA>(where, sheet, row);
}

int xlSheetRowHiddenA(SheetHandle sheet, int row, CallSite where) {
  return call_row<Row::xlSheetRowHiddenA>(where, sheet, row);
}

int xlSheetSetRowA(SheetHandle sheet, int row, double height, FormatHandle format, int hidden, CallSite where) {
  return call_row<Row::xlSheetSetRowA>(where, sheet, row, height, format, hidden);
}

int xlSheetColHiddenA(SheetHandle sheet, int col, CallSite where) {
  return call_row<Row::xlSheetColHiddenA>(where, sheet, col);
}

double xlSheetDefaultRowHeightA(SheetHandle sheet, CallSite where) {
  return call_row<Row::xlSheetDefaultRowHeightA>(where, sheet);
}

void xlSheetSetDefaultRowHeightA(SheetHandle sheet, double height, CallSite where) {
  call_row<Row::xlSheetSetDefaultRowHeightA>(where, sheet, height);
}

double xlSheetDefaultColWidthA(SheetHandle sheet, CallSite where) {
  return call_row<Row::xlSheetDefaultColWidthA>(where, sheet);
}

void xlSheetSetDefaultColWidthA(SheetHandle sheet, double width, CallSite where) {
  call_row<Row::xlSheetSetDefaultColWidthA>(where, sheet, width);
}

int xlSheetGetSplitA(SheetHandle sheet, int* row, int* col, CallSite where) {
  return call_row<Row::xlSheetGetSplitA>(where, sheet, row, col);
}

void xlSheetSplitA(SheetHandle sheet, int row, int col, CallSite where) {
  call_row<Row::xlSheetSplitA>(where, sheet, row, col);
}

int xlSheetZoomA(SheetHandle sheet, CallSite where) {
  return call_row<Row::xlSheetZoomA>(where, sheet);
}

void xlSheetSetZoomA(SheetHandle sheet, int zoom, CallSite where) {
  call_row<Row::xlSheetSetZoomA>(where, sheet, zoom);
}

int xlSheetDisplayGridlinesA(SheetHandle sheet, CallSite where) {
  return call_row<Row::xlSheetDisplayGridlinesA>(where, sheet);
}

void xlSheetSetDisplayGridlinesA(SheetHandle sheet, int show, CallSite where) {
  call_row<Row::xlSheetSetDisplayGridlinesA>(where, sheet, show);
}

int xlSheetRightToLeftA(SheetHandle sheet, CallSite where) {
  return call_row<Row::xlSheetRightToLeftA>(where, sheet);
}

void xlSheetSetRightToLeftA(SheetHandle sheet, int right_to_left, CallSite where) {
  call_row<Row::xlSheetSetRightToLeftA>(where, sheet, right_to_left);
}

int xlSheetGetAutoFilterA(SheetHandle sheet, int* first_row, int* last_row, int* first_column, int* last_column, CallSite where) {
  return call_row<Row::xlSheetGetAutoFilterA>(where, sheet, first_row, last_row, first_column, last_column);
}

int xlSheetSetAutoFilterA(SheetHandle sheet, int first_row, int last_row, int first_column, int last_column, CallSite where) {
  return call_row<Row::xlSheetSetAutoFilterA>(where, sheet, first_row, last_row, first_column, last_column);
}

int xlSheetDataValidationSizeA(SheetHandle sheet, CallSite where) {
  return call_row<Row::xlSheetDataValidationSizeA>(where, sheet);
}

int xlSheetDataValidationRangeA(SheetHandle sheet, int index, int range, int* first_row, int* last_row, int* first_column, int* last_column, CallSite where) {
  return call_row<Row::xlSheetDataValidationRangeA>(where, sheet, index, range, first_row, last_row, first_column, last_column);
}

int xlSheetCopyDataValidationA(SheetHandle sheet, SheetHandle from, int index, const int* ranges, int range_count, CallSite where) {
  return call_row<Row::xlSheetCopyDataValidationA>(where, sheet, from, index, ranges, range_count);
}

int xlSheetConditionalFormatSizeA(SheetHandle sheet, CallSite where) {
  return call_row<Row::xlSheetConditionalFormatSizeA>(where, sheet);
}

int xlSheetConditionalFormatRangeA(SheetHandle sheet, int index, int range, int* first_row, int* last_row, int* first_column, int* last_column, CallSite where) {
  return call_row<Row::xlSheetConditionalFormatRangeA>(where, sheet, index, range, first_row, last_row, first_column, last_column);
}

int xlSheetCopyConditionalFormatA(SheetHandle sheet, SheetHandle from, int index, const int* ranges, int range_count, CallSite where) {
  return call_row<Row::xlSheetCopyConditionalFormatA>(where, sheet, from, index, ranges, range_count);
}

int xlSheetHyperlinkSizeA(SheetHandle sheet, CallSite where) {
  return call_row<Row::xlSheetHyperlinkSizeA>(where, sheet);
}

int xlSheetHyperlinkRangeA(SheetHandle sheet, int index, int* first_row, int* last_row, int* first_column, int* last_column, CallSite where) {
  return call_row<Row::xlSheetHyperlinkRangeA>(where, sheet, index, first_row, last_row, first_column, last_column);
}

int xlSheetCopyHyperlinkA(SheetHandle sheet, SheetHandle from, int index, int first_row, int last_row, int first_column, int last_column, CallSite where) {
  return call_row<Row::xlSheetCopyHyperlinkA>(where, sheet, from, index, first_row, last_row, first_column, last_column);
}

int xlSheetCopyPageSetupA(SheetHandle sheet, SheetHandle from, CallSite where) {
  return call_row<Row::xlSheetCopyPageSetupA>(where, sheet, from);
}

int xlSheetGetPrintRepeatRowsA(SheetHandle sheet, int* first_row, int* last_row, CallSite where) {
  return call_row<Row::xlSheetGetPrintRepeatRowsA>(where, sheet, first_row, last_row);
}

int xlSheetSetPrintRepeatRowsA(SheetHandle sheet, int first_row, int last_row, CallSite where) {
  return call_row<Row::xlSheetSetPrintRepeatRowsA>(where, sheet, first_row, last_row);
}

int xlSheetGetPrintRepeatColsA(SheetHandle sheet, int* first_column, int* last_column, CallSite where) {
  return call_row<Row::xlSheetGetPrintRepeatColsA>(where, sheet, first_column, last_column);
}

int xlSheetSetPrintRepeatColsA(SheetHandle sheet, int first_column, int last_column, CallSite where) {
  return call_row<Row::xlSheetSetPrintRepeatColsA>(where, sheet, first_column, last_column);
}

int xlSheetGetPrintAreaA(SheetHandle sheet, int* first_row, int* last_row, int* first_column, int* last_column, CallSite where) {
  return call_row<Row::xlSheetGetPrintAreaA>(where, sheet, first_row, last_row, first_column, last_column);
}

int xlSheetSetPrintAreaA(SheetHandle sheet, int first_row, int last_row, int first_column, int last_column, CallSite where) {
  return call_row<Row::xlSheetSetPrintAreaA>(where, sheet, first_row, last_row, first_column, last_column);
}

int xlSheetClearA(SheetHandle sheet, int first_row, int last_row, int first_column, int last_column, CallSite where) {
  return call_row<Row::xlSheetClearA>(where, sheet, first_row, last_row, first_column, last_column);
}

}  // namespace colsplit::xl
