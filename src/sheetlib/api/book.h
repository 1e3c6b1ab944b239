// The objects behind the handles of the C interface. A book owns its sheets
// and formats; each knows its book, so that a handle of one book passed to
// another is refused instead of corrupting it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unordered_map>

#include "sheetlib/api/worksheet_reading.h"
#include "sheetlib/core/sheet_look.h"
#include "sheetlib/sheetlib.h"
#include "sheetlib/write/sheet_content.h"

struct SheetlibFormat {
  SheetlibBook* book;
  std::uint32_t style;  // position among the book's cell formats, from 1 (0 is the default format)
  int border = 0;       // style of all four sides, 0 none
  int num_format = 0;   // number format id: below 164 built in, else the book's custom_formats
  // A format of a loaded book tells a cell's number format; it is not for
  // writing (style is then the index among the loaded sheet's styles).
  bool loaded = false;
  // Of a written book's format copied from a loaded one: its look, an index
  // into the book's look.cells; -1 for a format of the book's own.
  int look = -1;
};

struct SheetlibSheet {
  SheetlibBook* book;
  std::string name_utf8;
  // A sheet read from a file is a view of its grid: it can be read, not
  // written. Of a loaded book's sheets only the one loaded holds cells.
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
  // The codes of the custom number formats (UTF-8); code i has id 164 + i.
  std::vector<std::string> custom_formats;
  sheetlib::SharedStrings strings;
  bool loaded = false;
  // Of a loaded book: the sheet holding the cells, and the formats handed
  // out for its styles (made as they are asked for).
  SheetlibSheet* loaded_sheet = nullptr;
  std::vector<std::unique_ptr<SheetlibFormat>> loaded_formats;
  // Whether loads keep the look of the sheet they read (xlBookSetKeepFormatA).
  bool keep_look = false;
  // Of a written book: the fonts, fills, borders, dxfs, palette and theme
  // that the formats copied from loaded books use, each once, and the looks
  // of those formats (look.cells, by SheetlibFormat::look).
  sheetlib::BookLook look;
  std::unordered_map<std::string, std::uint32_t> look_items;  // "f|fragment" etc. -> index in its list
  // The text handed out by the last call on this book that returned one.
  std::string returned_text;
  // Why its last load or save failed, "ok" after one that succeeded: a
  // text of the library's own, handed out without asking for memory.
  const char* error_message = "ok";
};

namespace sheetlib {

// The reasons error_message gives.
inline constexpr const char* kOutOfMemoryReason = "out of memory";
const char* read_failure_reason(ReadStatus status);

// The format handed out for style `style` of the loaded sheet (one per
// style, made when first asked for); null past its styles.
SheetlibFormat* loaded_format(SheetlibBook& book, std::uint32_t style);

// Reads worksheet `index` of the file, and the names of all worksheets.
bool load_book(SheetlibBook& book, const char* gbk_path, int index = 0);
// The same for a file already in memory (what load_book does once the file
// is read): the fuzz targets load their inputs this way.
bool load_book_bytes(SheetlibBook& book, std::string_view bytes, int index = 0);
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
const char* sheet_name(SheetlibSheet& sheet);

// Cell values, of loaded and written sheets. The kinds are the C interface's
// numbering: 0 empty, 1 number, 2 string, 3 boolean, 4 blank, 5 error.
enum CellType : int { kEmptyCell = 0, kNumberCell, kStringCell, kBooleanCell, kBlankCell, kErrorCell };
int cell_type(SheetlibSheet& sheet, int row, int column);
double read_number(SheetlibSheet& sheet, int row, int column, SheetlibFormat** format);
const char* custom_number_format(SheetlibBook& book, int id);
int merge_count(SheetlibSheet& sheet);
bool merge_at(SheetlibSheet& sheet, int index, MergedRange& range);
double column_width(SheetlibSheet& sheet, int column);

// Writing (book_writing.cpp).
bool write_number(SheetlibSheet& sheet, int row, int column, double value, const SheetlibFormat* format);
bool write_boolean(SheetlibSheet& sheet, int row, int column, bool value, const SheetlibFormat* format);
int add_custom_number_format(SheetlibBook& book, const char* gbk_code);
void set_number_format(SheetlibFormat& format, int id);
bool set_merge(SheetlibSheet& sheet, int first_row, int last_row, int first_column, int last_column);
// The same questions of a written sheet (book_writing.cpp).
const char* written_text(SheetlibSheet& sheet, int row, int column, SheetlibFormat** format);
int written_cell_type(SheetlibSheet& sheet, int row, int column);
double written_number(SheetlibSheet& sheet, int row, int column, SheetlibFormat** format);
int written_merge_count(SheetlibSheet& sheet);
bool written_merge_at(SheetlibSheet& sheet, int index, MergedRange& range);
double written_column_width(SheetlibSheet& sheet, int column);

}  // namespace sheetlib
