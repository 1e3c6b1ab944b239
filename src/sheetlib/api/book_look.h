// The look of the book objects: what a loaded sheet read with its look
// tells (book.keep_look), and the same items set on written sheets; formats
// of a loaded book copied into a written one.
#pragma once

#include "sheetlib/api/book.h"

namespace sheetlib {

// A written book's copy of a loaded book's format: its number format and,
// when that book kept its look, font, fill, border, alignment and
// protection, with the theme and palette they refer to (the first book's
// that a copied format comes from). Null when the book cannot take another
// format.
SheetlibFormat* copy_loaded_format(SheetlibBook& book, const SheetlibFormat& loaded);

SheetlibFormat* cell_format(SheetlibSheet& sheet, int row, int column);

double row_height(SheetlibSheet& sheet, int row);
bool row_hidden(SheetlibSheet& sheet, int row);
bool set_row(SheetlibSheet& sheet, int row, double height, const SheetlibFormat* format, bool hidden);
bool column_hidden(SheetlibSheet& sheet, int column);
double default_row_height(SheetlibSheet& sheet);
bool set_default_row_height(SheetlibSheet& sheet, double height);
double default_column_width(SheetlibSheet& sheet);
bool set_default_column_width(SheetlibSheet& sheet, double width);

// The view: of a loaded sheet read without its look, the default one.
const SheetLook& view_of(SheetlibSheet& sheet);
bool frozen_panes(SheetlibSheet& sheet, int* row, int* column);
bool freeze_panes(SheetlibSheet& sheet, int row, int column);
bool set_zoom(SheetlibSheet& sheet, int zoom);

bool auto_filter(SheetlibSheet& sheet, int* first_row, int* last_row, int* first_column, int* last_column);
bool set_auto_filter(SheetlibSheet& sheet, int first_row, int last_row, int first_column, int last_column);

// Validations, conditional formats and links: items over ranges of cells.
enum class RangedKind { validation, conditional_format, link };
int item_count(SheetlibSheet& sheet, RangedKind kind);
bool item_range(SheetlibSheet& sheet, RangedKind kind, int index, int range, int* first_row, int* last_row,
                int* first_column, int* last_column);
// Copies item `index` of `from` (a loaded sheet read with its look) onto the
// written sheet `to`, over `count` ranges given as four ints each (first
// row, last row, first column, last column).
bool copy_item(SheetlibSheet& to, SheetlibSheet& from, RangedKind kind, int index, const int* ranges, int count);

// Drops every cell of a loaded sheet whose cells the area holds, keeping
// its formats and look.
bool clear_cells(SheetlibSheet& sheet, int first_row, int last_row, int first_column, int last_column);

bool copy_page_setup(SheetlibSheet& to, SheetlibSheet& from);
// Print titles: rows when `rows`, else columns.
bool print_titles(SheetlibSheet& sheet, bool rows, int* first, int* last);
bool set_print_titles(SheetlibSheet& sheet, bool rows, int first, int last);
bool print_area(SheetlibSheet& sheet, int* first_row, int* last_row, int* first_column, int* last_column);
bool set_print_area(SheetlibSheet& sheet, int first_row, int last_row, int first_column, int last_column);

}  // namespace sheetlib
