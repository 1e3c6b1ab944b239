#include "sheetlib/api/book_look.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "text/encoding.h"
#include "sheetlib/write/parts.h"

namespace sheetlib {

namespace {

// Spreadsheet applications keep at most this many number format codes of a
// workbook's own; the rows of a sheet are at most 409 points high.
constexpr std::size_t kMaxCustomNumberFormats = 250;
constexpr double kMaxRowHeight = 409;
// The most ranges one copied item may cover, and the most items a sheet takes.
constexpr int kMaxItemRanges = 65'536;
constexpr std::size_t kMaxItems = 65'536;

bool is_row(int row) { return row >= 0 && static_cast<std::uint32_t>(row) < kMaxRows; }
bool is_column(int column) { return column >= 0 && static_cast<std::uint32_t>(column) < kMaxColumns; }

bool is_range(int first_row, int last_row, int first_column, int last_column) {
  return is_row(first_row) && is_row(last_row) && is_column(first_column) && is_column(last_column) &&
         first_row <= last_row && first_column <= last_column;
}

MergedRange range_of(int first_row, int last_row, int first_column, int last_column) {
  return {static_cast<std::uint32_t>(first_row), static_cast<std::uint32_t>(last_row),
          static_cast<std::uint32_t>(first_column), static_cast<std::uint32_t>(last_column)};
}

void give_range(const MergedRange& range, int* first_row, int* last_row, int* first_column, int* last_column) {
  if (first_row) *first_row = static_cast<int>(range.first_row);
  if (last_row) *last_row = static_cast<int>(range.last_row);
  if (first_column) *first_column = static_cast<int>(range.first_column);
  if (last_column) *last_column = static_cast<int>(range.last_column);
}

// The look read with a loaded sheet, or null (a book loaded without
// keep_look, or a sheet of the book that holds no cells).
const Look* loaded_look(const SheetlibSheet& sheet) {
  if (!sheet.loaded || sheet.book->loaded_sheet != &sheet) return nullptr;
  return sheet.grid.look();
}

// What a sheet tells of its look: a written sheet's, a loaded one's, or
// null for a loaded sheet read without it.
const SheetLook* look_of(const SheetlibSheet& sheet) {
  if (!sheet.loaded) return &sheet.content.look();
  const Look* look = loaded_look(sheet);
  return look ? &look->sheet : nullptr;
}

// The written sheet's look, or null for a loaded one (not for writing).
SheetLook* written_look(SheetlibSheet& sheet) { return sheet.loaded ? nullptr : &sheet.content.look(); }

const RowLook* find_row(const SheetLook& look, std::uint32_t row) {
  // A loaded sheet's rows are in row order; a written sheet's nearly always.
  const auto at = std::lower_bound(look.rows.begin(), look.rows.end(), row,
                                   [](const RowLook& entry, std::uint32_t wanted) { return entry.row < wanted; });
  if (at != look.rows.end() && at->row == row) return &*at;
  const auto any = std::find_if(look.rows.begin(), look.rows.end(), [&](const RowLook& entry) { return entry.row == row; });
  return any != look.rows.end() ? &*any : nullptr;
}

// The index of an item in one of the written book's lists, added when new.
std::uint32_t book_item(SheetlibBook& book, char list, const std::string& fragment,
                        std::vector<std::string>& items) {
  std::string key(1, list);
  key += fragment;
  const auto found = book.look_items.find(key);
  if (found != book.look_items.end()) return found->second;
  items.push_back(fragment);
  const auto index = static_cast<std::uint32_t>(items.size() - 1);
  book.look_items.emplace(std::move(key), index);
  return index;
}

// The id a written book gives the number format of a loaded style: a
// built-in id as it is, a code of the loaded workbook's own among the
// book's codes (General when they are full).
int number_format_of(SheetlibBook& book, const StyleNumberFormat& format) {
  if (format.id < kFirstCustomNumberFormat) return format.id;
  if (format.code.empty()) return 0;
  const auto same = std::find(book.custom_formats.begin(), book.custom_formats.end(), format.code);
  if (same != book.custom_formats.end())
    return kFirstCustomNumberFormat + static_cast<int>(same - book.custom_formats.begin());
  if (book.custom_formats.size() >= kMaxCustomNumberFormats) return 0;
  book.custom_formats.push_back(format.code);
  return kFirstCustomNumberFormat + static_cast<int>(book.custom_formats.size() - 1);
}

// A conditional format's rules with their dxfId attributes pointing at the
// written book's copies of the formats they apply; an id past the loaded
// book's formats is left out (the rule then applies none).
std::string rules_for(SheetlibBook& book, const BookLook& loaded, std::string_view markup) {
  static constexpr std::string_view kDxf = " dxfId=\"";
  std::string rules;
  rules.reserve(markup.size());
  std::size_t from = 0;
  for (std::size_t at = markup.find(kDxf); at != std::string_view::npos; at = markup.find(kDxf, from)) {
    rules.append(markup.substr(from, at - from));
    const std::size_t digits = at + kDxf.size();
    const std::size_t quote = markup.find('"', digits);
    if (quote == std::string_view::npos) {
      from = at;
      break;
    }
    std::size_t index = 0;
    bool valid = quote > digits && quote - digits <= 6;
    for (std::size_t i = digits; valid && i < quote; ++i) {
      valid = markup[i] >= '0' && markup[i] <= '9';
      index = index * 10 + static_cast<std::size_t>(markup[i] - '0');
    }
    if (valid && index < loaded.dxfs.size()) {
      rules.append(kDxf);
      rules += std::to_string(book_item(book, 'd', loaded.dxfs[index], book.look.dxfs));
      rules += '"';
    }
    from = quote + 1;
  }
  rules.append(markup.substr(from));
  return rules;
}

}  // namespace

SheetlibFormat* copy_loaded_format(SheetlibBook& book, const SheetlibFormat& loaded) {
  SheetlibBook& source = *loaded.book;
  if (book.loaded || !source.loaded_sheet) return nullptr;
  const CellGrid& grid = source.loaded_sheet->grid;
  auto format = std::make_unique<SheetlibFormat>();
  format->book = &book;
  if (loaded.style < grid.style_formats().size())
    format->num_format = number_format_of(book, grid.style_formats()[loaded.style]);
  const Look* look = grid.look();
  if (look && loaded.style < look->book.cells.size()) {
    const BookLook& from = look->book;
    const CellLook& cell = from.cells[loaded.style];
    CellLook copy;
    if (cell.font < from.fonts.size()) copy.font = book_item(book, 'f', from.fonts[cell.font], book.look.fonts);
    if (cell.fill < from.fills.size()) copy.fill = book_item(book, 'p', from.fills[cell.fill], book.look.fills);
    if (cell.border < from.borders.size())
      copy.border = book_item(book, 'b', from.borders[cell.border], book.look.borders);
    copy.alignment = cell.alignment;
    copy.protection = cell.protection;
    // Fonts and fills of theme colours show as their source's with its theme.
    if (book.look.theme.empty()) book.look.theme = from.theme;
    if (book.look.colors.empty()) book.look.colors = from.colors;
    // An entry per distinct look, so that formats of equal looks share it.
    // Built by appending: GCC 12 on i686 warns of an overlapping copy in a
    // chain of + on temporaries.
    std::string key = "c";
    for (const std::uint32_t index : {copy.font, copy.fill, copy.border}) {
      key += std::to_string(index);
      key += ',';
    }
    key += copy.alignment;
    key += ',';
    key += copy.protection;
    const auto found = book.look_items.find(key);
    if (found != book.look_items.end()) {
      format->look = static_cast<int>(found->second);
    } else {
      book.look.cells.push_back(std::move(copy));
      format->look = static_cast<int>(book.look.cells.size() - 1);
      book.look_items.emplace(std::move(key), static_cast<std::uint32_t>(format->look));
    }
  }
  format->style = static_cast<std::uint32_t>(book.formats.size() + 1);
  book.formats.push_back(std::move(format));
  return book.formats.back().get();
}

SheetlibFormat* cell_format(SheetlibSheet& sheet, int row, int column) {
  if (!is_row(row) || !is_column(column)) return nullptr;
  if (!sheet.loaded) {
    SheetlibFormat* format = nullptr;
    written_text(sheet, row, column, &format);
    return format;
  }
  const Look* look = loaded_look(sheet);
  if (!look) return nullptr;
  std::uint32_t style = look->cell_styles.at(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column));
  // A style past the workbook's is shown as the default one.
  if (style >= look->book.cells.size()) style = 0;
  return loaded_format(*sheet.book, style);
}

double row_height(SheetlibSheet& sheet, int row) {
  const SheetLook* look = look_of(sheet);
  if (!look || !is_row(row)) return -1;
  const RowLook* entry = find_row(*look, static_cast<std::uint32_t>(row));
  return entry && entry->height > 0 ? entry->height : -1;
}

bool row_hidden(SheetlibSheet& sheet, int row) {
  const SheetLook* look = look_of(sheet);
  if (!look || !is_row(row)) return false;
  const RowLook* entry = find_row(*look, static_cast<std::uint32_t>(row));
  return entry && entry->hidden;
}

bool set_row(SheetlibSheet& sheet, int row, double height, const SheetlibFormat* format, bool hidden) {
  SheetLook* look = written_look(sheet);
  if (!look || !is_row(row) || format || !std::isfinite(height) || height > kMaxRowHeight) return false;
  const RowLook entry{static_cast<std::uint32_t>(row), height > 0 ? height : 0, hidden};
  std::vector<RowLook>& rows = look->rows;
  // Rows are set in order as a rule: the last entry is the one to look at.
  auto at = !rows.empty() && rows.back().row == entry.row
                ? rows.end() - 1
                : std::find_if(rows.begin(), rows.end(), [&](const RowLook& r) { return r.row == entry.row; });
  const bool plain = entry.height == 0 && !entry.hidden;
  if (at != rows.end()) {
    if (plain)
      rows.erase(at);
    else
      *at = entry;
  } else if (!plain) {
    rows.push_back(entry);
  }
  return true;
}

bool column_hidden(SheetlibSheet& sheet, int column) {
  if (!is_column(column)) return false;
  const auto wanted = static_cast<std::uint32_t>(column);
  if (!sheet.loaded) {
    for (const ColumnRun& run : sheet.content.columns())
      if (wanted >= run.first && wanted <= run.last) return run.hidden;
    return false;
  }
  const Look* look = loaded_look(sheet);
  if (!look) return false;
  return std::any_of(look->sheet.hidden_columns.begin(), look->sheet.hidden_columns.end(),
                     [&](const HiddenColumns& run) { return wanted >= run.first && wanted <= run.last; });
}

double default_row_height(SheetlibSheet& sheet) {
  const SheetLook* look = look_of(sheet);
  return look && look->default_row_height > 0 ? look->default_row_height : -1;
}

bool set_default_row_height(SheetlibSheet& sheet, double height) {
  SheetLook* look = written_look(sheet);
  if (!look || !std::isfinite(height) || height > kMaxRowHeight) return false;
  look->default_row_height = height > 0 ? height : 0;
  return true;
}

double default_column_width(SheetlibSheet& sheet) {
  const SheetLook* look = look_of(sheet);
  return look && look->default_column_width > 0 ? look->default_column_width : -1;
}

bool set_default_column_width(SheetlibSheet& sheet, double width) {
  SheetLook* look = written_look(sheet);
  if (!look || !std::isfinite(width) || width > kMaxColumnWidth) return false;
  look->default_column_width = width > 0 ? width : 0;
  return true;
}

const SheetLook& view_of(SheetlibSheet& sheet) {
  static const SheetLook kDefault;
  const SheetLook* look = look_of(sheet);
  return look ? *look : kDefault;
}

bool frozen_panes(SheetlibSheet& sheet, int* row, int* column) {
  const SheetLook& look = view_of(sheet);
  if (look.frozen_rows == 0 && look.frozen_columns == 0) return false;
  if (row) *row = static_cast<int>(look.frozen_rows);
  if (column) *column = static_cast<int>(look.frozen_columns);
  return true;
}

bool freeze_panes(SheetlibSheet& sheet, int row, int column) {
  SheetLook* look = written_look(sheet);
  if (!look || !is_row(row) || !is_column(column)) return false;
  look->frozen_rows = static_cast<std::uint32_t>(row);
  look->frozen_columns = static_cast<std::uint32_t>(column);
  return true;
}

bool set_zoom(SheetlibSheet& sheet, int zoom) {
  SheetLook* look = written_look(sheet);
  if (!look || zoom < 10 || zoom > 400) return false;
  look->zoom = zoom;
  return true;
}

bool auto_filter(SheetlibSheet& sheet, int* first_row, int* last_row, int* first_column, int* last_column) {
  const SheetLook* look = look_of(sheet);
  if (!look || !look->has_filter) return false;
  give_range(look->filter, first_row, last_row, first_column, last_column);
  return true;
}

bool set_auto_filter(SheetlibSheet& sheet, int first_row, int last_row, int first_column, int last_column) {
  SheetLook* look = written_look(sheet);
  if (!look || !is_range(first_row, last_row, first_column, last_column)) return false;
  look->filter = range_of(first_row, last_row, first_column, last_column);
  look->has_filter = true;
  return true;
}

int item_count(SheetlibSheet& sheet, RangedKind kind) {
  const SheetLook* look = look_of(sheet);
  if (!look) return 0;
  switch (kind) {
    case RangedKind::validation: return static_cast<int>(look->validations.size());
    case RangedKind::conditional_format: return static_cast<int>(look->conditional_formats.size());
    case RangedKind::link: return static_cast<int>(look->links.size());
  }
  return 0;
}

bool item_range(SheetlibSheet& sheet, RangedKind kind, int index, int range, int* first_row, int* last_row,
                int* first_column, int* last_column) {
  if (index < 0 || range < 0 || index >= item_count(sheet, kind)) return false;
  const SheetLook& look = *look_of(sheet);
  const auto i = static_cast<std::size_t>(index);
  const auto r = static_cast<std::size_t>(range);
  if (kind == RangedKind::link) {
    if (r != 0) return false;
    give_range(look.links[i].range, first_row, last_row, first_column, last_column);
    return true;
  }
  const RangedItem& item = kind == RangedKind::validation ? look.validations[i] : look.conditional_formats[i];
  if (r >= item.ranges.size()) return false;
  give_range(item.ranges[r], first_row, last_row, first_column, last_column);
  return true;
}

bool copy_item(SheetlibSheet& to, SheetlibSheet& from, RangedKind kind, int index, const int* ranges, int count) {
  SheetLook* target = written_look(to);
  const Look* source = loaded_look(from);
  if (!target || !source || !ranges || count <= 0 || count > kMaxItemRanges || index < 0 ||
      index >= item_count(from, kind)) {
    return false;
  }
  std::vector<MergedRange> cells;
  cells.reserve(static_cast<std::size_t>(count));
  for (int r = 0; r < count; ++r) {
    const int* range = ranges + 4 * r;
    if (!is_range(range[0], range[1], range[2], range[3])) return false;
    cells.push_back(range_of(range[0], range[1], range[2], range[3]));
  }
  const auto i = static_cast<std::size_t>(index);
  switch (kind) {
    case RangedKind::validation:
      if (target->validations.size() >= kMaxItems) return false;
      target->validations.push_back({std::move(cells), source->sheet.validations[i].markup});
      return true;
    case RangedKind::conditional_format:
      if (target->conditional_formats.size() >= kMaxItems) return false;
      target->conditional_formats.push_back(
          {std::move(cells), rules_for(*to.book, source->book, source->sheet.conditional_formats[i].markup)});
      return true;
    case RangedKind::link: {
      if (target->links.size() >= kMaxItems || cells.size() != 1) return false;
      CellLink link = source->sheet.links[i];
      link.range = cells.front();
      target->links.push_back(std::move(link));
      return true;
    }
  }
  return false;
}

bool clear_cells(SheetlibSheet& sheet, int first_row, int last_row, int first_column, int last_column) {
  if (!sheet.loaded || first_row > 0 || first_column > 0 || last_row + 1 < sheet.grid.row_extent() ||
      last_column + 1 < sheet.grid.column_extent()) {
    return false;
  }
  sheet.grid.drop_cells();
  return true;
}

bool copy_page_setup(SheetlibSheet& to, SheetlibSheet& from) {
  SheetLook* target = written_look(to);
  const SheetLook* source = look_of(from);
  if (!target || !source) return false;
  target->print_options = source->print_options;
  target->page_margins = source->page_margins;
  target->page_setup = source->page_setup;
  target->header_footer = source->header_footer;
  target->fit_to_page = source->fit_to_page;
  return true;
}

bool print_titles(SheetlibSheet& sheet, bool rows, int* first, int* last) {
  const SheetLook* look = look_of(sheet);
  if (!look) return false;
  const LineSpan& span = rows ? look->print_title_rows : look->print_title_columns;
  if (!span.set) return false;
  if (first) *first = static_cast<int>(span.first);
  if (last) *last = static_cast<int>(span.last);
  return true;
}

bool set_print_titles(SheetlibSheet& sheet, bool rows, int first, int last) {
  SheetLook* look = written_look(sheet);
  const bool valid = rows ? is_row(first) && is_row(last) : is_column(first) && is_column(last);
  if (!look || !valid || first > last) return false;
  (rows ? look->print_title_rows : look->print_title_columns) =
      LineSpan{static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last), true};
  return true;
}

bool print_area(SheetlibSheet& sheet, int* first_row, int* last_row, int* first_column, int* last_column) {
  const SheetLook* look = look_of(sheet);
  if (!look || look->print_area.empty()) return false;
  give_range(look->print_area.front(), first_row, last_row, first_column, last_column);
  return true;
}

bool set_print_area(SheetlibSheet& sheet, int first_row, int last_row, int first_column, int last_column) {
  SheetLook* look = written_look(sheet);
  if (!look || !is_range(first_row, last_row, first_column, last_column)) return false;
  look->print_area = {range_of(first_row, last_row, first_column, last_column)};
  return true;
}

}  // namespace sheetlib
