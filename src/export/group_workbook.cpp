#include "export/group_workbook.h"

#include <algorithm>

#include "export/fallback_sheet_name.h"
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

bool GroupSheetWriter::write_title_rows(xl::SheetHandle sheet, const SourceSheet& source, int columns) {
  bool all_written = true;
  const int titles = static_cast<int>(source.title_rows.size());
  for (int row = 0; row < titles; ++row) {
    const std::vector<Text>& texts = source.title_rows[static_cast<std::size_t>(row)];
    const int filled = std::min(columns, static_cast<int>(texts.size()));
    for (int column = 0; column < filled; ++column) {
      const Text& text = texts[static_cast<std::size_t>(column)];
      if (!text.empty()) all_written &= xl::xlSheetWriteStrA(sheet, row, column, text, nullptr) == 1;
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
  std::span<const TypedCell> typed;
  if (extras.keep_types && extras.source && extras.source->typed && extras.source_rows) {
    typed = extras.source->typed_cells.row((*extras.source_rows)[static_cast<std::size_t>(item)]);
  }
  auto next_typed = typed.begin();
  for (int column = 0; column < columns; ++column) {
    while (next_typed != typed.end() && next_typed->column < column) ++next_typed;
    if (next_typed != typed.end() && next_typed->column == column) {
      const xl::FormatHandle format = typed_format(extras.source->typed_cells, next_typed->format);
      all_written &= next_typed->kind == ValueKind::boolean
                         ? xl::xlSheetWriteBoolA(sheet, row, column, next_typed->number != 0, format) == 1
                         : xl::xlSheetWriteNumA(sheet, row, column, next_typed->number, format) == 1;
      continue;
    }
    all_written &= xl::xlSheetWriteStrA(sheet, row, column, rows.cell_text(item, column), border()) == 1;
  }
  return all_written;
}

void GroupSheetWriter::set_widths(xl::SheetHandle sheet, int columns, const GroupSheetExtras& extras) {
  constexpr double width = kExportColumnWidth;
  if (!extras.keep_types || !extras.source || !extras.source->detailed) {
    xl::xlSheetSetColA(sheet, 0, columns, width, nullptr, 0);
    return;
  }
  // The source's widths where it sets them.
  const std::vector<double>& widths = extras.source->column_widths;
  for (int column = 0; column <= columns; ++column) {
    const double source = static_cast<std::size_t>(column) < widths.size() ? widths[static_cast<std::size_t>(column)]
                                                                            : -1.0;
    xl::xlSheetSetColA(sheet, column, column, source >= 0 ? source : width, nullptr, 0);
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
  bool all_written = titles == 0 || write_title_rows(sheet, *extras.source, columns);
  for (int column = 0; column < columns; ++column) {
    all_written &=
        xl::xlSheetWriteStrA(sheet, titles, column, headers[static_cast<std::size_t>(column)], border_format) == 1;
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
