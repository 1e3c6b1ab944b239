#include "load/sheet_details.h"

#include "xl/owned_book.h"
#include "xl/workbook_provisioning.h"

namespace colsplit {

namespace {

std::vector<Text> sheet_names_of(xl::BookHandle book) {
  std::vector<Text> names;
  const int count = xl::xlBookSheetCountA(book);
  for (int index = 0; index < count; ++index) names.push_back(xl::xlSheetNameA(xl::xlBookGetSheetA(book, index)));
  return names;
}

}  // namespace

TypedCellReader::TypedCellReader(xl::BookHandle book, xl::SheetHandle sheet, TypedCells& cells)
    : book_(book), sheet_(sheet), cells_(cells) {
  cells_.clear();
}

void TypedCellReader::read(int row, int column) {
  const int type = xl::xlSheetCellTypeA(sheet_, row, column);
  if (type != xl::kNumberCell && type != xl::kBooleanCell) return;
  xl::FormatHandle format = nullptr;
  TypedCell cell;
  cell.number = xl::xlSheetReadNumA(sheet_, row, column, &format);
  cell.row = static_cast<std::uint32_t>(row);
  cell.column = static_cast<std::uint16_t>(column);
  cell.kind = type == xl::kBooleanCell ? ValueKind::boolean : ValueKind::number;
  // The cells of a column mostly share their format with the cell above.
  const auto slot = static_cast<std::size_t>(column);
  if (slot >= last_formats_.size()) last_formats_.resize(slot + 1, {nullptr, kNoIndex});
  std::pair<xl::FormatHandle, std::size_t>& last = last_formats_[slot];
  if (last.first != format || last.second == kNoIndex) last = {format, format_index(format)};
  const std::size_t index = last.second;
  // A cell of a format past the most kept is written as the text it shows.
  if (index >= TypedCells::kMostFormats) return;
  cell.format = static_cast<std::uint8_t>(index);
  cells_.add(cell);
}

std::size_t TypedCellReader::format_index(xl::FormatHandle format) {
  const auto known = formats_.find(format);
  if (known != formats_.end()) return known->second;
  SourceNumberFormat number_format;
  if (format) {
    number_format.id = xl::xlFormatNumFormatA(format);
    number_format.code = xl::xlBookCustomNumFormatA(book_, number_format.id);
  }
  const std::size_t index = cells_.format_index(number_format);
  formats_.emplace(format, index);
  return index;
}

void read_sheet_details(xl::BookHandle book, xl::SheetHandle sheet, int columns, bool typed, SourceSheet& source) {
  source.sheet_names = sheet_names_of(book);
  source.merged.clear();
  const int merges = xl::xlSheetMergeSizeA(sheet);
  for (int index = 0; index < merges; ++index) {
    MergedCells range;
    if (xl::xlSheetMergeA(sheet, index, &range.first_row, &range.last_row, &range.first_column, &range.last_column))
      source.merged.push_back(range);
  }
  source.column_widths.assign(static_cast<std::size_t>(std::max(columns, 0)), -1.0);
  for (int column = 0; column < columns; ++column) {
    source.column_widths[static_cast<std::size_t>(column)] = xl::xlSheetColWidthA(sheet, column);
  }
  source.detailed = true;
  source.typed = typed;
}

std::vector<Text> read_sheet_names(Worker& worker, const Text& file_name) {
  const xl::OwnedBook book(xl::create_workbook());
  int loaded = 0;
  worker.run([&] { loaded = xl::xlBookLoadA(book.get(), file_name); });
  if (loaded != 1) return {};
  return sheet_names_of(book.get());
}

}  // namespace colsplit
