// The writing side of the book objects: sheets inserted into a new book,
// formats, cells written, columns, ignored errors, merged ranges, saving.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "text/encoding.h"
#include "sheetlib/api/book.h"
#include "sheetlib/api/book_look.h"
#include "sheetlib/format/number_format.h"
#include "text/whole_files.h"
#include "sheetlib/write/parts.h"
#include "sheetlib/write/sheet_name.h"

namespace sheetlib {

namespace {

// Spreadsheet applications keep at most this many cell formats in a workbook.
constexpr std::size_t kMaxFormats = 64'000;

constexpr int kBorderStyleCount = 14;

// Spreadsheet applications keep at most this many number format codes of a
// workbook's own, each at most this long (in UTF-16 units).
constexpr std::size_t kMaxCustomNumberFormats = 250;
constexpr std::size_t kMaxFormatCodeCharacters = 255;

// The longest text a cell may hold; spreadsheet applications repair (cut) a
// file with a longer one.
constexpr std::size_t kMaxCellCharacters = 32'767;

// Spreadsheet applications count a cell's characters in UTF-16 units.
bool fits_a_cell(std::string_view gbk) {
  return gbk.size() <= kMaxCellCharacters || colsplit::utf16_units(gbk) <= kMaxCellCharacters;
}

bool is_cell(int row, int column) {
  return row >= 0 && column >= 0 && static_cast<std::uint32_t>(row) < kMaxRows &&
         static_cast<std::uint32_t>(column) < kMaxColumns;
}

// The style index a cell or column gets from a format handle: 0 for none,
// nothing (false) for a format of another book or of a loaded one.
bool style_of(const SheetlibSheet& sheet, const SheetlibFormat* format, std::uint32_t& style) {
  if (!format) {
    style = 0;
    return true;
  }
  if (format->book != sheet.book || format->loaded) return false;
  style = format->style;
  return true;
}

// The written cell at a row and column, or null.
const CellEntry* find_cell(SheetlibSheet& sheet, int row, int column) {
  if (!is_cell(row, column)) return nullptr;
  return sheet.content.find(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column));
}

// The format a written cell was written with, or null for the default one.
SheetlibFormat* format_of(SheetlibBook& book, const CellEntry& cell) {
  const std::uint32_t style = cell.style();
  return style != 0 && style <= book.formats.size() ? book.formats[style - 1].get() : nullptr;
}

}  // namespace

bool save_book(SheetlibBook& book, const char* gbk_path) {
  // A loaded book holds only what the reader keeps of the file (the texts its
  // cells show), and a workbook without a sheet does not open: saving either
  // would give a file that is not what the caller means.
  if (!gbk_path || !*gbk_path || book.loaded || book.sheets.empty()) return false;
  std::vector<SheetToWrite> sheets;
  sheets.reserve(book.sheets.size());
  for (auto& sheet : book.sheets) sheets.push_back({sheet->name_utf8, &sheet->content});
  std::vector<CellFormatToWrite> formats;
  formats.reserve(book.formats.size());
  for (const auto& format : book.formats) {
    const CellLook* look = format->look >= 0 ? &book.look.cells[static_cast<std::size_t>(format->look)] : nullptr;
    formats.push_back({format->border, format->num_format, look});
  }
  const std::string package = build_package(sheets, book.strings, formats, book.custom_formats, book.look);
  if (package.empty()) return false;
  return colsplit::write_file_atomically(gbk_path, package);
}

SheetlibSheet* insert_sheet(SheetlibBook& book, int index, const char* gbk_name, SheetlibSheet* sheet_to_copy) {
  if (book.loaded || index < 0 || static_cast<std::size_t>(index) > book.sheets.size()) return nullptr;
  if (!gbk_name || !*gbk_name) return nullptr;
  if (sheet_to_copy && (sheet_to_copy->book != &book || sheet_to_copy->loaded)) return nullptr;
  std::string name = colsplit::gbk_to_utf8(gbk_name);
  if (!is_valid_sheet_name(name)) return nullptr;
  for (const auto& sheet : book.sheets) {
    if (same_sheet_name(sheet->name_utf8, name)) return nullptr;
  }
  auto sheet = std::make_unique<SheetlibSheet>();
  sheet->book = &book;
  sheet->name_utf8 = std::move(name);
  if (sheet_to_copy) sheet->content = sheet_to_copy->content;
  SheetlibSheet* inserted = sheet.get();
  book.sheets.insert(book.sheets.begin() + index, std::move(sheet));
  return inserted;
}

SheetlibFormat* add_format(SheetlibBook& book, const SheetlibFormat* format_to_copy) {
  if (book.loaded || book.formats.size() >= kMaxFormats) return nullptr;
  if (format_to_copy && format_to_copy->loaded) return copy_loaded_format(book, *format_to_copy);
  if (format_to_copy && format_to_copy->book != &book) return nullptr;
  auto format = std::make_unique<SheetlibFormat>();
  format->book = &book;
  format->style = static_cast<std::uint32_t>(book.formats.size() + 1);
  if (format_to_copy) {
    format->border = format_to_copy->border;
    format->num_format = format_to_copy->num_format;
    format->look = format_to_copy->look;
  }
  book.formats.push_back(std::move(format));
  return book.formats.back().get();
}

void set_border(SheetlibFormat& format, int style) {
  if (style >= 0 && style < kBorderStyleCount) format.border = style;
}

bool write_text(SheetlibSheet& sheet, int row, int column, const char* gbk_text, const SheetlibFormat* format) {
  std::uint32_t style = 0;
  if (sheet.loaded || !is_cell(row, column) || !style_of(sheet, format, style)) return false;
  const std::string_view text = gbk_text ? std::string_view(gbk_text) : std::string_view();
  if (!fits_a_cell(text)) return false;
  const std::uint32_t string_index = text.empty() ? kNoString : sheet.book->strings.intern(text);
  sheet.content.set_cell(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column), string_index, style);
  return true;
}

bool add_ignored_errors(SheetlibSheet& sheet, int first_row, int first_column, int last_row, int last_column,
                        int flags) {
  const unsigned kinds = static_cast<unsigned>(flags) & kAllIgnoredErrors;
  if (sheet.loaded || kinds == 0 || !is_cell(first_row, first_column) || !is_cell(last_row, last_column) ||
      first_row > last_row || first_column > last_column) {
    return false;
  }
  sheet.content.add_ignored_errors({static_cast<std::uint32_t>(first_row), static_cast<std::uint32_t>(first_column),
                                    static_cast<std::uint32_t>(last_row), static_cast<std::uint32_t>(last_column),
                                    kinds});
  return true;
}

bool set_columns(SheetlibSheet& sheet, int first_column, int last_column, double width,
                 const SheetlibFormat* format, bool hidden) {
  std::uint32_t style = 0;
  if (sheet.loaded || !is_cell(0, first_column) || !is_cell(0, last_column) || first_column > last_column ||
      !std::isfinite(width) || width < 0 || width > kMaxColumnWidth || !style_of(sheet, format, style)) {
    return false;
  }
  sheet.content.set_columns({static_cast<std::uint32_t>(first_column), static_cast<std::uint32_t>(last_column),
                             width, style, hidden});
  return true;
}

bool write_number(SheetlibSheet& sheet, int row, int column, double value, const SheetlibFormat* format) {
  std::uint32_t style = 0;
  if (sheet.loaded || !is_cell(row, column) || !std::isfinite(value) || !style_of(sheet, format, style)) return false;
  sheet.content.set_number(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column), value, style);
  return true;
}

bool write_boolean(SheetlibSheet& sheet, int row, int column, bool value, const SheetlibFormat* format) {
  std::uint32_t style = 0;
  if (sheet.loaded || !is_cell(row, column) || !style_of(sheet, format, style)) return false;
  sheet.content.set_boolean(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column), value, style);
  return true;
}

int add_custom_number_format(SheetlibBook& book, const char* gbk_code) {
  if (book.loaded || !gbk_code || !*gbk_code) return 0;
  const std::string_view code(gbk_code);
  if (code.size() > kMaxFormatCodeCharacters && colsplit::utf16_units(code) > kMaxFormatCodeCharacters) return 0;
  std::string utf8 = colsplit::gbk_to_utf8(code);
  const auto same = std::find(book.custom_formats.begin(), book.custom_formats.end(), utf8);
  if (same != book.custom_formats.end()) {
    return kFirstCustomNumberFormat + static_cast<int>(same - book.custom_formats.begin());
  }
  if (book.custom_formats.size() >= kMaxCustomNumberFormats) return 0;
  book.custom_formats.push_back(std::move(utf8));
  return kFirstCustomNumberFormat + static_cast<int>(book.custom_formats.size() - 1);
}

void set_number_format(SheetlibFormat& format, int id) {
  if (id < 0 || format.loaded || !format.book) return;
  if (id >= kFirstCustomNumberFormat &&
      static_cast<std::size_t>(id - kFirstCustomNumberFormat) >= format.book->custom_formats.size()) {
    return;
  }
  format.num_format = id;
}

bool set_merge(SheetlibSheet& sheet, int first_row, int last_row, int first_column, int last_column) {
  if (sheet.loaded || !is_cell(first_row, first_column) || !is_cell(last_row, last_column) ||
      first_row > last_row || first_column > last_column || (first_row == last_row && first_column == last_column)) {
    return false;
  }
  return sheet.content.add_merged_range({static_cast<std::uint32_t>(first_row),
                                         static_cast<std::uint32_t>(first_column),
                                         static_cast<std::uint32_t>(last_row),
                                         static_cast<std::uint32_t>(last_column)});
}

const char* written_text(SheetlibSheet& sheet, int row, int column, SheetlibFormat** format) {
  const CellEntry* cell = find_cell(sheet, row, column);
  if (!cell) return nullptr;
  SheetlibBook& book = *sheet.book;
  SheetlibFormat* cell_format = format_of(book, *cell);
  if (format) *format = cell_format;
  switch (cell->kind()) {
    case EntryKind::string:
      if (cell->value == kNoString) return nullptr;
      book.returned_text.assign(book.strings.gbk(cell->value));
      break;
    case EntryKind::boolean:
      book.returned_text.assign(cell->value ? "TRUE" : "FALSE");
      break;
    case EntryKind::number: {
      // Built-in formats show as the reader shows them (a Chinese Excel's look).
      const int id = cell_format ? cell_format->num_format : 0;
      const auto custom = static_cast<std::size_t>(id - kFirstCustomNumberFormat);
      const std::string_view code = id < kFirstCustomNumberFormat ? builtin_number_format(id)
                                    : custom < book.custom_formats.size() ? book.custom_formats[custom]
                                                                          : builtin_number_format(0);
      book.returned_text = colsplit::utf8_to_gbk(format_number(sheet.content.number(*cell), code, false));
      break;
    }
  }
  return book.returned_text.c_str();
}

int written_cell_type(SheetlibSheet& sheet, int row, int column) {
  const CellEntry* cell = find_cell(sheet, row, column);
  if (!cell) return kEmptyCell;
  switch (cell->kind()) {
    case EntryKind::string:
      return cell->value == kNoString ? kBlankCell : kStringCell;
    case EntryKind::number:
      return kNumberCell;
    case EntryKind::boolean:
      return kBooleanCell;
  }
  return kEmptyCell;
}

double written_number(SheetlibSheet& sheet, int row, int column, SheetlibFormat** format) {
  const CellEntry* cell = find_cell(sheet, row, column);
  if (format) *format = cell ? format_of(*sheet.book, *cell) : nullptr;
  if (!cell) return 0;
  switch (cell->kind()) {
    case EntryKind::number:
      return sheet.content.number(*cell);
    case EntryKind::boolean:
      return cell->value;
    case EntryKind::string:
      break;
  }
  return 0;
}

int written_merge_count(SheetlibSheet& sheet) { return static_cast<int>(sheet.content.merged_ranges().size()); }

bool written_merge_at(SheetlibSheet& sheet, int index, MergedRange& range) {
  const std::vector<CellRange>& merged = sheet.content.merged_ranges();
  if (index < 0 || static_cast<std::size_t>(index) >= merged.size()) return false;
  const CellRange& found = merged[static_cast<std::size_t>(index)];
  range.first_row = found.first_row;
  range.last_row = found.last_row;
  range.first_column = found.first_column;
  range.last_column = found.last_column;
  return true;
}

double written_column_width(SheetlibSheet& sheet, int column) {
  for (const ColumnRun& run : sheet.content.columns()) {
    if (static_cast<std::uint32_t>(column) >= run.first && static_cast<std::uint32_t>(column) <= run.last)
      return run.width;
  }
  return -1;
}

}  // namespace sheetlib
