// The objects behind the handles of the C interface. A book owns its sheets
// and formats; each knows its book, so that a handle of one book passed to
// another is refused instead of corrupting it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/read/workbook_reader.h"
#include "sheetlib/sheetlib.h"
#include "sheetlib/write/sheet_content.h"

struct SheetlibFormat {
  SheetlibBook* book;
  std::uint32_t style;  // position among the book's cell formats, from 1 (0 is the default format)
  int border = 0;       // style of all four sides, 0 none
};

struct SheetlibSheet {
  SheetlibBook* book;
  std::string name_utf8;
  // A sheet read from a file is a view of its grid: it can be read, not written.
  bool loaded = false;
  sheetlib::CellGrid grid;
  sheetlib::SheetContent content;
};

struct SheetlibBook {
  std::vector<std::unique_ptr<SheetlibSheet>> sheets;
  // Sheets that a later load replaced. Their handles may still be held, so
  // they live on, outside the book, until it is released.
  std::vector<std::unique_ptr<SheetlibSheet>> replaced_sheets;
  std::vector<std::unique_ptr<SheetlibFormat>> formats;
  sheetlib::SharedStrings strings;
  bool loaded = false;
  // The text handed out by the last xlSheetReadStrA on this book.
  std::string returned_text;
};

namespace sheetlib {

bool load_book(SheetlibBook& book, const char* gbk_path);
// The same for a file already in memory (what load_book does once the file
// is read): the fuzz targets load their inputs this way.
bool load_book_bytes(SheetlibBook& book, std::string_view bytes);
bool save_book(SheetlibBook& book, const char* gbk_path);
SheetlibSheet* insert_sheet(SheetlibBook& book, int index, const char* gbk_name, SheetlibSheet* sheet_to_copy);
SheetlibFormat* add_format(SheetlibBook& book, const SheetlibFormat* format_to_copy);
void set_border(SheetlibFormat& format, int style);
const char* read_text(SheetlibSheet& sheet, int row, int column, SheetlibFormat** format);
bool write_text(SheetlibSheet& sheet, int row, int column, const char* gbk_text, const SheetlibFormat* format);
bool add_ignored_errors(SheetlibSheet& sheet, int first_row, int first_column, int last_row, int last_column,
                        int flags);
bool set_columns(SheetlibSheet& sheet, int first_column, int last_column, double width,
                 const SheetlibFormat* format, bool hidden);
Extent value_extent(SheetlibSheet& sheet);

}  // namespace sheetlib
