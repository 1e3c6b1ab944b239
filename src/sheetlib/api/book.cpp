// The reading side of the book objects: loading a workbook file, and what
// its sheets and cells hold; questions asked of a written sheet go to
// book_writing.cpp.
#include "sheetlib/api/book.h"

#include <cmath>
#include <cstring>

#include "text/encoding.h"
#include "text/whole_files.h"
#include "sheetlib/write/parts.h"
#include "sheetlib/write/sheet_name.h"

namespace sheetlib {

namespace {

// Larger files are not read: in a 32-bit process their bytes and the cells
// made from them would not fit into memory together.
constexpr std::uint64_t kMaxFileBytes = std::uint64_t{1} << 30;

bool is_cell(int row, int column) {
  return row >= 0 && column >= 0 && static_cast<std::uint32_t>(row) < kMaxRows &&
         static_cast<std::uint32_t>(column) < kMaxColumns;
}

const char* hand_out(SheetlibBook& book, std::string_view gbk) {
  book.returned_text.assign(gbk);
  return book.returned_text.c_str();
}

}  // namespace

// The format handed out for a cell of the loaded sheet: one per style,
// made when first asked for.
SheetlibFormat* loaded_format(SheetlibBook& book, std::uint32_t style) {
  const std::vector<StyleNumberFormat>& styles = book.loaded_sheet->grid.style_formats();
  if (style >= styles.size()) return nullptr;
  if (book.loaded_formats.size() < styles.size()) book.loaded_formats.resize(styles.size());
  std::unique_ptr<SheetlibFormat>& format = book.loaded_formats[style];
  if (!format) {
    format = std::make_unique<SheetlibFormat>();
    format->book = &book;
    format->style = style;
    format->num_format = styles[style].id;
    format->loaded = true;
  }
  return format.get();
}

const char* read_failure_reason(ReadStatus status) {
  switch (status) {
    case ReadStatus::ok: return "ok";
    case ReadStatus::not_a_zip: return "not a workbook file";
    case ReadStatus::not_a_workbook: return "no workbook in the file";
    case ReadStatus::malformed: return "damaged file";
    case ReadStatus::over_limit: return "over a reading limit";
    case ReadStatus::out_of_memory: return kOutOfMemoryReason;
    case ReadStatus::encrypted: return "encrypted workbook";
    case ReadStatus::unsupported_version: return "unsupported xls version";
    case ReadStatus::no_such_sheet: return "no such sheet";
  }
  return "damaged file";
}

bool load_book(SheetlibBook& book, const char* gbk_path, int index) {
  if (!gbk_path || !*gbk_path) {
    book.error_message = "no file name";
    return false;
  }
  std::string bytes;
  using colsplit::FileStatus;
  switch (colsplit::read_whole_file(gbk_path, bytes, kMaxFileBytes)) {
    case FileStatus::ok: return load_book_bytes(book, bytes, index);
    case FileStatus::not_found: book.error_message = "file not found"; break;
    case FileStatus::unreadable: book.error_message = "file cannot be read"; break;
    case FileStatus::too_large: book.error_message = "file too large"; break;
  }
  return false;
}

bool load_book_bytes(SheetlibBook& book, std::string_view bytes, int index) {
  CellGrid grid;
  if (book.keep_look) grid.want_look();
  std::vector<std::string> names;
  if (const ReadStatus status = read_worksheet(bytes, index, grid, &names); status != ReadStatus::ok) {
    book.error_message = read_failure_reason(status);
    return false;
  }
  std::vector<std::unique_ptr<SheetlibSheet>> sheets;
  sheets.reserve(names.size());
  for (std::string& name : names) {
    auto sheet = std::make_unique<SheetlibSheet>();
    sheet->book = &book;
    sheet->loaded = true;
    sheet->name_utf8 = std::move(name);
    sheets.push_back(std::move(sheet));
  }
  if (static_cast<std::size_t>(index) >= sheets.size()) {
    book.error_message = read_failure_reason(ReadStatus::no_such_sheet);
    return false;
  }
  sheets[static_cast<std::size_t>(index)]->grid = std::move(grid);
  // Only now, with the file read, does the book give up what it held.
  book.replaced_sheets.reserve(book.replaced_sheets.size() + book.sheets.size());
  for (auto& old : book.sheets) book.replaced_sheets.push_back(std::move(old));
  book.sheets = std::move(sheets);
  book.loaded = true;
  book.loaded_sheet = book.sheets[static_cast<std::size_t>(index)].get();
  book.loaded_formats.clear();
  return true;
}

const char* read_text(SheetlibSheet& sheet, int row, int column, SheetlibFormat** format) {
  if (format) *format = nullptr;
  if (!is_cell(row, column)) return nullptr;
  SheetlibBook& book = *sheet.book;
  if (sheet.loaded) {
    if (format) {
      const CellValue value = sheet.grid.value(row, column);
      if (value.kind > CellKind::text && &sheet == book.loaded_sheet) *format = loaded_format(book, value.style);
    }
    const std::string_view text = sheet.grid.text(row, column);
    if (text.empty()) return nullptr;
    return hand_out(book, text);
  }
  return written_text(sheet, row, column, format);
}

Extent value_extent(SheetlibSheet& sheet) {
  if (!sheet.loaded) return sheet.content.value_extent();
  return {static_cast<std::uint32_t>(sheet.grid.row_extent()), static_cast<std::uint32_t>(sheet.grid.column_extent())};
}

const char* sheet_name(SheetlibSheet& sheet) {
  return hand_out(*sheet.book, colsplit::utf8_to_gbk(sheet.name_utf8));
}

int cell_type(SheetlibSheet& sheet, int row, int column) {
  if (!is_cell(row, column)) return kEmptyCell;
  if (!sheet.loaded) return written_cell_type(sheet, row, column);
  switch (sheet.grid.value(row, column).kind) {
    case CellKind::empty:
      return kEmptyCell;
    case CellKind::text:
      return kStringCell;
    case CellKind::number:
      return kNumberCell;
    case CellKind::boolean:
      return kBooleanCell;
    case CellKind::error:
      return kErrorCell;
  }
  return kEmptyCell;
}

double read_number(SheetlibSheet& sheet, int row, int column, SheetlibFormat** format) {
  if (format) *format = nullptr;
  if (!is_cell(row, column)) return 0;
  if (!sheet.loaded) return written_number(sheet, row, column, format);
  const CellValue value = sheet.grid.value(row, column);
  if (value.kind != CellKind::number && value.kind != CellKind::boolean) return 0;
  if (format && &sheet == sheet.book->loaded_sheet) *format = loaded_format(*sheet.book, value.style);
  return value.number;
}

const char* custom_number_format(SheetlibBook& book, int id) {
  if (book.loaded) {
    if (!book.loaded_sheet) return nullptr;
    for (const StyleNumberFormat& format : book.loaded_sheet->grid.style_formats()) {
      if (format.id == id && !format.code.empty()) return hand_out(book, colsplit::utf8_to_gbk(format.code));
    }
    return nullptr;
  }
  if (id < kFirstCustomNumberFormat || static_cast<std::size_t>(id - kFirstCustomNumberFormat) >= book.custom_formats.size())
    return nullptr;
  return hand_out(book, colsplit::utf8_to_gbk(book.custom_formats[static_cast<std::size_t>(id - kFirstCustomNumberFormat)]));
}

int merge_count(SheetlibSheet& sheet) {
  if (!sheet.loaded) return written_merge_count(sheet);
  return static_cast<int>(sheet.grid.merged_ranges().size());
}

bool merge_at(SheetlibSheet& sheet, int index, MergedRange& range) {
  if (!sheet.loaded) return written_merge_at(sheet, index, range);
  const std::vector<MergedRange>& merged = sheet.grid.merged_ranges();
  if (index < 0 || static_cast<std::size_t>(index) >= merged.size()) return false;
  range = merged[static_cast<std::size_t>(index)];
  return true;
}

double column_width(SheetlibSheet& sheet, int column) {
  if (!is_cell(0, column)) return -1;
  if (!sheet.loaded) return written_column_width(sheet, column);
  // A later setting of a column wins, as the application reads them.
  double width = -1;
  for (const ColumnWidth& run : sheet.grid.column_widths()) {
    if (static_cast<std::uint32_t>(column) >= run.first && static_cast<std::uint32_t>(column) <= run.last)
      width = run.width;
  }
  return width;
}

}  // namespace sheetlib
