#include "book_reading.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sheetlib/api/book.h"

namespace sheetlib::fuzz {

namespace {

// A sheet of two cells can span A1:XFD1048576. Each read is one lookup, so
// reading all 17 billion would only measure the loop: the targets read the
// leading rows and columns of the extent up to this many cells, then the
// last row and the last column in full.
constexpr long kCellsRead = 1 << 16;

// A broken promise of the C interface: the fuzzer reports it as a crash.
[[noreturn]] void broken(const char* what, int row, int column) {
  std::fprintf(stderr, "sheetlib contract broken: %s (row %d, column %d)\n", what, row, column);
  std::abort();
}

// The cell's text, which must be null or a non-empty terminated text; its
// bytes are all touched, so that the sanitizer sees a text that runs on.
void read_cell(BookHandle book, SheetHandle sheet, int row, int column) {
  FormatHandle format = reinterpret_cast<FormatHandle>(&format);
  const char* text = xlSheetReadStrA(sheet, row, column, &format);
  if (text && std::strlen(text) == 0) broken("an empty text instead of null", row, column);
  // Only number, boolean and error cells (types 1, 3, 5) name a format, and
  // its code, if any, is a terminated text.
  const int type = xlSheetCellTypeA(sheet, row, column);
  if (format && type != 1 && type != 3 && type != 5) broken("a format for a cell without a value", row, column);
  if (format) {
    const char* code = xlBookCustomNumFormatA(book, xlFormatNumFormatA(format));
    if (code && std::strlen(code) == 0) broken("an empty format code instead of null", row, column);
  }
}

// Merged ranges and column widths: every range counted can be read.
void read_merges_and_widths(SheetHandle sheet) {
  const int merges = xlSheetMergeSizeA(sheet);
  for (int i = 0; i < merges; ++i) {
    int first_row = 0, last_row = 0, first_column = 0, last_column = 0;
    if (!xlSheetMergeA(sheet, i, &first_row, &last_row, &first_column, &last_column)) broken("a merged range", i, 0);
  }
  for (int column = 0; column < 300; ++column) (void)xlSheetColWidthA(sheet, column);
}

// The look, when the load kept it: every cell's format copied into a new
// book, and every ranged item copied over the ranges it covers.
void read_and_copy_look(SheetHandle sheet, int rows, int columns) {
  BookHandle copy = xlCreateXMLBookCA();
  if (!copy) return;
  SheetHandle to = xlBookInsertSheetA(copy, 0, "copy", nullptr);
  for (int row = 0; row < std::min(rows, 64); ++row) {
    (void)xlSheetRowHeightA(sheet, row);
    (void)xlSheetRowHiddenA(sheet, row);
    for (int column = 0; column < std::min(columns, 64); ++column) {
      if (FormatHandle format = xlSheetCellFormatA(sheet, row, column))
        xlSheetWriteStrA(to, row, column, "x", xlBookAddFormatA(copy, format));
    }
  }
  int a = 0, b = 0, c = 0, d = 0;
  (void)xlSheetGetSplitA(sheet, &a, &b);
  (void)xlSheetGetAutoFilterA(sheet, &a, &b, &c, &d);
  (void)xlSheetGetPrintAreaA(sheet, &a, &b, &c, &d);
  for (int i = 0; i < std::min(xlSheetDataValidationSizeA(sheet), 16); ++i) {
    if (xlSheetDataValidationRangeA(sheet, i, 0, &a, &b, &c, &d)) {
      const int range[4] = {a, b, c, d};
      xlSheetCopyDataValidationA(to, sheet, i, range, 1);
    }
  }
  for (int i = 0; i < std::min(xlSheetConditionalFormatSizeA(sheet), 16); ++i) {
    if (xlSheetConditionalFormatRangeA(sheet, i, 0, &a, &b, &c, &d)) {
      const int range[4] = {a, b, c, d};
      xlSheetCopyConditionalFormatA(to, sheet, i, range, 1);
    }
  }
  for (int i = 0; i < std::min(xlSheetHyperlinkSizeA(sheet), 16); ++i) {
    if (xlSheetHyperlinkRangeA(sheet, i, &a, &b, &c, &d)) xlSheetCopyHyperlinkA(to, sheet, i, a, b, c, d);
  }
  xlSheetCopyPageSetupA(to, sheet);
  xlBookReleaseA(copy);
}

void read_outside(SheetHandle sheet, int row, int column) {
  if (xlSheetReadStrA(sheet, row, column, nullptr)) broken("a text outside the extent", row, column);
}

}  // namespace

void load_and_read(std::string_view file_bytes) {
  BookHandle book = xlCreateXMLBookCA();
  if (!book) return;
  // Half the inputs are loaded with their look, as the keep-format choice loads them.
  const bool look = file_bytes.size() % 2 == 1;
  xlBookSetKeepFormatA(book, look ? 1 : 0);
  // load_book_bytes is what xlBookLoadA does once it has the file's bytes.
  const bool loaded = load_book_bytes(*book, file_bytes);
  if (loaded != (xlBookSheetCountA(book) >= 1)) broken("sheet count after a load", 0, 0);
  if (SheetHandle sheet = xlBookGetSheetA(book, 0)) {
    const int rows = xlSheetLastRowA(sheet);
    const int columns = xlSheetLastColA(sheet);
    if (rows < 0 || columns < 0 || (rows == 0) != (columns == 0)) broken("extent", rows, columns);
    const int leading_columns = static_cast<int>(std::min<long>(columns, kCellsRead));
    const int leading_rows = static_cast<int>(std::min<long>(rows, kCellsRead / std::max(leading_columns, 1)));
    for (int row = 0; row < leading_rows; ++row)
      for (int column = 0; column < leading_columns; ++column) read_cell(book, sheet, row, column);
    if (rows > 0) {
      for (int column = 0; column < leading_columns; ++column) read_cell(book, sheet, rows - 1, column);
      for (int row = 0; row < std::min<long>(rows, kCellsRead); ++row) read_cell(book, sheet, row, columns - 1);
    }
    read_merges_and_widths(sheet);
    if (look) read_and_copy_look(sheet, rows, columns);
    read_outside(sheet, rows, 0);
    read_outside(sheet, 0, columns);
    read_outside(sheet, -1, 0);
    read_outside(sheet, 0, -1);
  }
  xlBookReleaseA(book);
}

}  // namespace sheetlib::fuzz
