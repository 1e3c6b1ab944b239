#include "export/group_workbook.h"

#include <algorithm>

#include "export/fallback_sheet_name.h"
#include "export/written_rows.h"
#include "xl/kept_sheet.h"
#include "xl/workbook_provisioning.h"

namespace colsplit {

namespace {

constexpr int kThinBorder = 1;
constexpr int kAllIgnoredErrors = 255;
// A workbook of thousands of groups whose values clean to one name numbers
// them; past this many the sheet is not made.
constexpr int kMostNumberedNames = 100'000;

xl::SheetHandle insert_named_sheet(xl::BookHandle book, const Text& name) {
  const int index = xl::xlBookSheetCountA(book);
  xl::SheetHandle sheet = xl::xlBookInsertSheetA(book, index, name, nullptr);
  if (!sheet) sheet = xl::xlBookInsertSheetA(book, index, fallback_sheet_name(name), nullptr);
  // Only the sheets of one workbook can take each other's names.
  for (int number = 2; !sheet && index > 0 && number <= kMostNumberedNames; ++number) {
    sheet = xl::xlBookInsertSheetA(book, index, fallback_sheet_name(name, number), nullptr);
  }
  return sheet;
}

int title_row_count(const GroupSheetExtras& extras) {
  return extras.source ? static_cast<int>(extras.source->title_rows.size()) : 0;
}

// The source sheet whose look the written sheets take, or null.
const xl::KeptSheet* kept_look(const GroupSheetExtras& extras) {
  return extras.keep_format && extras.source && extras.source_rows ? extras.source->look.get() : nullptr;
}

// The four ints of each written range of the source's range: its rows
// re-ranged, its columns cut to those written.
std::vector<int> written_ranges(const WrittenRows& rows, int first_row, int last_row, int first_column,
                                int last_column, int columns, std::vector<int> ranges = {}) {
  last_column = std::min(last_column, columns - 1);
  if (first_column > last_column) return ranges;
  for (const RowSpan& span : rows.spans_of(first_row, last_row)) {
    ranges.insert(ranges.end(), {span.first, span.last, first_column, last_column});
  }
  return ranges;
}

// Validations or conditional formats: each copied over the written rows of
// its ranges, when any of them has some.
template <typename Size, typename Range, typename Copy>
void copy_ranged_items(xl::SheetHandle sheet, const xl::KeptSheet& look, const WrittenRows& rows, int columns,
                       Size size, Range range, Copy copy) {
  const int items = size(look.sheet);
  for (int item = 0; item < items; ++item) {
    std::vector<int> ranges;
    int first_row = 0, last_row = 0, first_column = 0, last_column = 0;
    for (int k = 0; range(look.sheet, item, k, &first_row, &last_row, &first_column, &last_column) == 1; ++k) {
      ranges = written_ranges(rows, first_row, last_row, first_column, last_column, columns, std::move(ranges));
    }
    if (!ranges.empty()) copy(sheet, look.sheet, item, ranges.data(), static_cast<int>(ranges.size() / 4));
  }
}

}  // namespace

xl::FormatHandle GroupSheetWriter::border() {
  if (!has_border_) {
    border_ = xl::xlBookAddFormatA(book_, nullptr);
    xl::xlFormatSetBorderA(border_, kThinBorder);
    has_border_ = true;
  }
  return border_;
}

// The border format with the source's number format: a built-in one by its
// id (its look is the reading application's locale's, as in the source), a
// workbook's own by its code.
xl::FormatHandle GroupSheetWriter::typed_format(const TypedCells& cells, std::size_t index) {
  if (index >= cells.formats().size()) return border();
  if (typed_formats_.size() < cells.formats().size()) typed_formats_.resize(cells.formats().size());
  std::optional<xl::FormatHandle>& made = typed_formats_[index];
  if (!made) {
    const SourceNumberFormat& source = cells.formats()[index];
    int id = source.id;
    if (!source.code.empty()) id = xl::xlBookAddCustomNumFormatA(book_, source.code);
    if (id == 0) {
      made = border();
    } else {
      made = xl::xlBookAddFormatA(book_, border());
      xl::xlFormatSetNumFormatA(*made, id);
    }
  }
  return *made;
}

xl::FormatHandle GroupSheetWriter::source_format(const GroupSheetExtras& extras, int row, int column,
                                                xl::FormatHandle otherwise) {
  const xl::KeptSheet* look = kept_look(extras);
  if (!look) return otherwise;
  const xl::FormatHandle source = xl::xlSheetCellFormatA(look->sheet, row, column);
  if (!source) return nullptr;
  // A column's cells mostly share their format with the cell above.
  const auto slot = static_cast<std::size_t>(column);
  if (slot >= last_formats_.size()) last_formats_.resize(slot + 1, {nullptr, nullptr});
  if (last_formats_[slot].first == source) return last_formats_[slot].second;
  const auto [at, added] = source_formats_.try_emplace(source, nullptr);
  if (added) at->second = xl::xlBookAddFormatA(book_, source);
  last_formats_[slot] = {source, at->second};
  return at->second;
}

bool GroupSheetWriter::write_title_rows(xl::SheetHandle sheet, const GroupSheetExtras& extras, int columns) {
  const SourceSheet& source = *extras.source;
  bool all_written = true;
  const int titles = static_cast<int>(source.title_rows.size());
  const bool look = kept_look(extras) != nullptr;
  for (int row = 0; row < titles; ++row) {
    const std::vector<Text>& texts = source.title_rows[static_cast<std::size_t>(row)];
    // With the look, the empty cells of a title take their format too (the
    // rest of a merged title's fill and borders).
    const int filled = look ? columns : std::min(columns, static_cast<int>(texts.size()));
    for (int column = 0; column < filled; ++column) {
      const Text empty;
      const Text& text = static_cast<std::size_t>(column) < texts.size() ? texts[static_cast<std::size_t>(column)] : empty;
      if (!text.empty() || look) {
        all_written &= xl::xlSheetWriteStrA(sheet, row, column, text, source_format(extras, row, column, nullptr)) == 1;
      }
    }
  }
  // A title merged across the columns stays merged; ranges reaching into
  // the heading row or past the written columns are cut to the titles.
  for (const MergedCells& range : source.merged) {
    if (range.first_row >= titles || range.first_column >= columns) continue;
    const int last_row = std::min(range.last_row, titles - 1);
    const int last_column = std::min(range.last_column, columns - 1);
    if (last_row > range.first_row || last_column > range.first_column) {
      xl::xlSheetSetMergeA(sheet, range.first_row, last_row, range.first_column, last_column);
    }
  }
  return all_written;
}

bool GroupSheetWriter::write_row(xl::SheetHandle sheet, int row, ListView& rows, int item, int columns,
                                 const GroupSheetExtras& extras) {
  bool all_written = true;
  std::ranges::subrange<std::deque<TypedCell>::const_iterator> typed;
  if (extras.keep_format && extras.source && extras.source->typed && extras.source_rows) {
    typed = extras.source->typed_cells.row((*extras.source_rows)[static_cast<std::size_t>(item)]);
  }
  const bool look = kept_look(extras) != nullptr;
  const int source_row = look ? (*extras.source_rows)[static_cast<std::size_t>(item)] : 0;
  auto next_typed = typed.begin();
  for (int column = 0; column < columns; ++column) {
    while (next_typed != typed.end() && next_typed->column < column) ++next_typed;
    if (next_typed != typed.end() && next_typed->column == column) {
      const xl::FormatHandle format = look ? source_format(extras, source_row, column, nullptr)
                                           : typed_format(extras.source->typed_cells, next_typed->format);
      all_written &= next_typed->kind == ValueKind::boolean
                         ? xl::xlSheetWriteBoolA(sheet, row, column, next_typed->number != 0, format) == 1
                         : xl::xlSheetWriteNumA(sheet, row, column, next_typed->number, format) == 1;
      continue;
    }
    const xl::FormatHandle format = look ? source_format(extras, source_row, column, nullptr) : border();
    all_written &= xl::xlSheetWriteStrA(sheet, row, column, rows.cell_text(item, column), format) == 1;
  }
  return all_written;
}

void GroupSheetWriter::set_widths(xl::SheetHandle sheet, int columns, const GroupSheetExtras& extras) {
  constexpr double width = kExportColumnWidth;
  if (!extras.keep_format || !extras.source || !extras.source->detailed) {
    xl::xlSheetSetColA(sheet, 0, columns, width, nullptr, 0);
    return;
  }
  // The source's widths where it sets them.
  const std::vector<double>& widths = extras.source->column_widths;
  const xl::KeptSheet* look = kept_look(extras);
  for (int column = 0; column <= columns; ++column) {
    const double source = static_cast<std::size_t>(column) < widths.size() ? widths[static_cast<std::size_t>(column)]
                                                                            : -1.0;
    const int hidden = look && column < columns ? xl::xlSheetColHiddenA(look->sheet, column) : 0;
    xl::xlSheetSetColA(sheet, column, column, source >= 0 ? source : width, nullptr, hidden);
  }
}

void GroupSheetWriter::copy_look(xl::SheetHandle sheet, int titles, int row_count, int columns,
                                 const GroupSheetExtras& extras) {
  const xl::KeptSheet* look = kept_look(extras);
  if (!look || columns == 0) return;
  const xl::SheetHandle source = look->sheet;
  const WrittenRows rows(titles, *extras.source_rows);
  // Rows: heights and hidden rows.
  const auto copy_row = [&](int source_row, int row) {
    const double height = xl::xlSheetRowHeightA(source, source_row);
    const int hidden = xl::xlSheetRowHiddenA(source, source_row);
    if (height > 0 || hidden) xl::xlSheetSetRowA(sheet, row, height > 0 ? height : 0, nullptr, hidden);
  };
  for (int row = 0; row <= titles; ++row) copy_row(row, row);
  for (int item = 0; item < row_count; ++item) copy_row((*extras.source_rows)[static_cast<std::size_t>(item)], titles + 1 + item);
  if (const double height = xl::xlSheetDefaultRowHeightA(source); height > 0) xl::xlSheetSetDefaultRowHeightA(sheet, height);
  if (const double width = xl::xlSheetDefaultColWidthA(source); width > 0) xl::xlSheetSetDefaultColWidthA(sheet, width);
  // Merges within one of the group's rows move with it; one across rows
  // that went to different workbooks cannot, and is left unmerged.
  for (const MergedCells& range : extras.source->merged) {
    if (range.first_row != range.last_row || range.first_row <= titles || range.first_column >= columns) continue;
    const int row = rows.row_of(range.first_row);
    const int last_column = std::min(range.last_column, columns - 1);
    if (row >= 0 && last_column > range.first_column) xl::xlSheetSetMergeA(sheet, row, row, range.first_column, last_column);
  }
  // The view: panes frozen at or below the heading row freeze the titles
  // and the heading row.
  int frozen_rows = 0, frozen_columns = 0;
  if (xl::xlSheetGetSplitA(source, &frozen_rows, &frozen_columns) == 1) {
    xl::xlSheetSplitA(sheet, std::min(frozen_rows, titles + 1), std::min(frozen_columns, columns));
  }
  if (const int zoom = xl::xlSheetZoomA(source); zoom != 100) xl::xlSheetSetZoomA(sheet, zoom);
  if (xl::xlSheetDisplayGridlinesA(source) == 0) xl::xlSheetSetDisplayGridlinesA(sheet, 0);
  if (xl::xlSheetRightToLeftA(source) == 1) xl::xlSheetSetRightToLeftA(sheet, 1);
  // A filter on the heading row spans the rows written.
  int first_row = 0, last_row = 0, first_column = 0, last_column = 0;
  if (xl::xlSheetGetAutoFilterA(source, &first_row, &last_row, &first_column, &last_column) == 1 &&
      first_row == titles && first_column < columns) {
    xl::xlSheetSetAutoFilterA(sheet, titles, rows.last_row(), first_column, std::min(last_column, columns - 1));
  }
  copy_ranged_items(sheet, *look, rows, columns, [](xl::SheetHandle s) { return xl::xlSheetDataValidationSizeA(s); },
                    [](xl::SheetHandle s, int i, int k, int* r1, int* r2, int* c1, int* c2) {
                      return xl::xlSheetDataValidationRangeA(s, i, k, r1, r2, c1, c2);
                    },
                    [](xl::SheetHandle to, xl::SheetHandle from, int i, const int* ranges, int count) {
                      xl::xlSheetCopyDataValidationA(to, from, i, ranges, count);
                    });
  copy_ranged_items(sheet, *look, rows, columns, [](xl::SheetHandle s) { return xl::xlSheetConditionalFormatSizeA(s); },
                    [](xl::SheetHandle s, int i, int k, int* r1, int* r2, int* c1, int* c2) {
                      return xl::xlSheetConditionalFormatRangeA(s, i, k, r1, r2, c1, c2);
                    },
                    [](xl::SheetHandle to, xl::SheetHandle from, int i, const int* ranges, int count) {
                      xl::xlSheetCopyConditionalFormatA(to, from, i, ranges, count);
                    });
  const int links = xl::xlSheetHyperlinkSizeA(source);
  for (int link = 0; link < links; ++link) {
    if (xl::xlSheetHyperlinkRangeA(source, link, &first_row, &last_row, &first_column, &last_column) != 1) continue;
    const std::vector<int> ranges = written_ranges(rows, first_row, last_row, first_column, last_column, columns);
    for (std::size_t r = 0; r < ranges.size(); r += 4)
      xl::xlSheetCopyHyperlinkA(sheet, source, link, ranges[r], ranges[r + 1], ranges[r + 2], ranges[r + 3]);
  }
  // Print setup; titles as they are, the print area over the rows written.
  xl::xlSheetCopyPageSetupA(sheet, source);
  if (xl::xlSheetGetPrintRepeatRowsA(source, &first_row, &last_row) == 1 && first_row <= titles)
    xl::xlSheetSetPrintRepeatRowsA(sheet, first_row, std::min(last_row, titles));
  if (xl::xlSheetGetPrintRepeatColsA(source, &first_column, &last_column) == 1)
    xl::xlSheetSetPrintRepeatColsA(sheet, first_column, last_column);
  if (xl::xlSheetGetPrintAreaA(source, &first_row, &last_row, &first_column, &last_column) == 1 &&
      first_column < columns) {
    const int first = std::min(first_row, titles + 1);
    const int last = last_row > titles ? rows.last_row() : last_row;
    xl::xlSheetSetPrintAreaA(sheet, first, std::max(first, last), first_column, std::min(last_column, columns - 1));
  }
}

bool GroupSheetWriter::write(ListView& rows, ProgressBar& progress, const std::vector<Text>& headers,
                             const Text& sheet_name, const GroupSheetExtras& extras) {
  const int row_count = rows.row_count();
  const int columns = static_cast<int>(headers.size());
  const xl::SheetHandle sheet = insert_named_sheet(book_, sheet_name);
  if (!sheet) return false;
  const xl::FormatHandle border_format = border();
  const int titles = title_row_count(extras);
  bool all_written = titles == 0 || write_title_rows(sheet, extras, columns);
  for (int column = 0; column < columns; ++column) {
    all_written &= xl::xlSheetWriteStrA(sheet, titles, column, headers[static_cast<std::size_t>(column)],
                                        source_format(extras, titles, column, border_format)) == 1;
  }
  progress.set_position(0);
  progress.set_maximum(row_count);
  for (int item = 0; item < row_count; ++item) {
    all_written &= write_row(sheet, titles + 1 + item, rows, item, columns, extras);
    progress.set_position(bar_position(item + 1, row_count));
  }
  // One row and two columns beyond the cells, so that the whole area the
  // user sees around the data shows no "number stored as text" marks.
  xl::xlSheetAddIgnoredErrorA(sheet, 0, 0, titles + row_count + 1, columns + 1, kAllIgnoredErrors);
  set_widths(sheet, columns, extras);
  copy_look(sheet, titles, row_count, columns, extras);
  return all_written;
}

std::vector<Text> group_sheet_names(const std::vector<Text>& values) {
  const xl::OwnedBook book(xl::create_workbook());
  std::vector<Text> names;
  names.reserve(values.size());
  for (const Text& value : values) {
    const xl::SheetHandle sheet = insert_named_sheet(book.get(), value);
    names.push_back(sheet ? xl::xlSheetNameA(sheet) : Text());
  }
  return names;
}

GroupWorkbook::GroupWorkbook(ListView& rows, ProgressBar& progress, const std::vector<Text>& headers,
                             const Text& sheet_name, const GroupSheetExtras& extras)
    : GroupWorkbook() {
  add_sheet(rows, progress, headers, sheet_name, extras);
}

GroupWorkbook::GroupWorkbook() : book_(xl::create_workbook()), writer_(book_.get()) {}

void GroupWorkbook::add_sheet(ListView& rows, ProgressBar& progress, const std::vector<Text>& headers,
                              const Text& sheet_name, const GroupSheetExtras& extras) {
  cells_ += (static_cast<long long>(rows.row_count()) + 1 + title_row_count(extras)) *
            static_cast<long long>(headers.size());
  complete_ &= writer_.write(rows, progress, headers, sheet_name, extras);
}

bool GroupWorkbook::save(const Text& path) { return complete_ && xl::xlBookSaveA(book_.get(), path) == 1; }

}  // namespace colsplit
