#include "sheetlib/api/book.h"

#include <cmath>
#include <cstring>

#include "text/encoding.h"
#include "sheetlib/io/file_io.h"
#include "sheetlib/write/parts.h"
#include "sheetlib/write/sheet_name.h"

namespace sheetlib {

namespace {

// Larger files are not read: in a 32-bit process their bytes and the cells
// made from them would not fit into memory together.
constexpr std::uint64_t kMaxFileBytes = std::uint64_t{1} << 30;

// Spreadsheet applications keep at most this many cell formats in a workbook.
constexpr std::size_t kMaxFormats = 64'000;

constexpr int kBorderStyleCount = 14;

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
// nothing (false) for a format of another book.
bool style_of(const SheetlibSheet& sheet, const SheetlibFormat* format, std::uint32_t& style) {
  if (!format) {
    style = 0;
    return true;
  }
  if (format->book != sheet.book) return false;
  style = format->style;
  return true;
}

}  // namespace

bool load_book(SheetlibBook& book, const char* gbk_path) {
  if (!gbk_path || !*gbk_path) return false;
  std::string bytes;
  if (read_whole_file(gbk_path, bytes, kMaxFileBytes) != FileStatus::ok) return false;
  return load_book_bytes(book, bytes);
}

bool load_book_bytes(SheetlibBook& book, std::string_view bytes) {
  auto sheet = std::make_unique<SheetlibSheet>();
  sheet->book = &book;
  sheet->loaded = true;
  if (read_first_worksheet(bytes, sheet->grid) != ReadStatus::ok) return false;
  // Only now, with the file read, does the book give up what it held.
  book.replaced_sheets.reserve(book.replaced_sheets.size() + book.sheets.size());
  std::vector<std::unique_ptr<SheetlibSheet>> sheets;
  sheets.push_back(std::move(sheet));
  for (auto& old : book.sheets) book.replaced_sheets.push_back(std::move(old));
  book.sheets = std::move(sheets);
  book.loaded = true;
  return true;
}

bool save_book(SheetlibBook& book, const char* gbk_path) {
  // A loaded book holds only what the reader keeps of the file (the texts its
  // cells show), and a workbook without a sheet does not open: saving either
  // would give a file that is not what the caller means.
  if (!gbk_path || !*gbk_path || book.loaded || book.sheets.empty()) return false;
  std::vector<SheetToWrite> sheets;
  sheets.reserve(book.sheets.size());
  for (auto& sheet : book.sheets) sheets.push_back({sheet->name_utf8, &sheet->content});
  std::vector<int> borders;
  borders.reserve(book.formats.size());
  for (const auto& format : book.formats) borders.push_back(format->border);
  const std::string package = build_package(sheets, book.strings, borders);
  if (package.empty()) return false;
  return write_file_atomically(gbk_path, package);
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
  if (format_to_copy && format_to_copy->book != &book) return nullptr;
  if (book.formats.size() >= kMaxFormats) return nullptr;
  auto format = std::make_unique<SheetlibFormat>();
  format->book = &book;
  format->style = static_cast<std::uint32_t>(book.formats.size() + 1);
  if (format_to_copy) format->border = format_to_copy->border;
  book.formats.push_back(std::move(format));
  return book.formats.back().get();
}

void set_border(SheetlibFormat& format, int style) {
  if (style >= 0 && style < kBorderStyleCount) format.border = style;
}

const char* read_text(SheetlibSheet& sheet, int row, int column, SheetlibFormat** format) {
  if (format) *format = nullptr;
  if (!is_cell(row, column)) return nullptr;
  SheetlibBook& book = *sheet.book;
  if (sheet.loaded) {
    const std::string_view text = sheet.grid.text(row, column);
    if (text.empty()) return nullptr;
    book.returned_text.assign(text);
    return book.returned_text.c_str();
  }
  const CellEntry* cell = sheet.content.find(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column));
  if (!cell) return nullptr;
  if (format && cell->style != 0) *format = book.formats[cell->style - 1].get();
  if (cell->string_index == kNoString) return nullptr;
  book.returned_text.assign(book.strings.gbk(cell->string_index));
  return book.returned_text.c_str();
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

Extent value_extent(SheetlibSheet& sheet) {
  if (!sheet.loaded) return sheet.content.value_extent();
  return {static_cast<std::uint32_t>(sheet.grid.row_extent()), static_cast<std::uint32_t>(sheet.grid.column_extent())};
}

}  // namespace sheetlib
