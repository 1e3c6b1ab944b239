#include "app/controls/cell_table.h"

namespace colsplit {

namespace {

bool in_range(int index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size; }

// Index at which to insert: the given one when it lies within 0 … size,
// otherwise the end.
std::size_t insertion_index(std::optional<int> index, std::size_t size) {
  if (index && *index >= 0 && static_cast<std::size_t>(*index) <= size) return static_cast<std::size_t>(*index);
  return size;
}

}  // namespace

int normalise_column_width(std::optional<int> width) {
  if (!width) return ListView::kDefaultColumnWidth;
  return *width < 0 ? 0 : *width;
}

const ColumnDefinition* CellTable::column(int column) const {
  return in_range(column, columns_.size()) ? &columns_[static_cast<std::size_t>(column)] : nullptr;
}

std::string_view CellTable::cell(int row, int column) const {
  if (!in_range(row, rows_.size()) || column < 0) return {};
  const Row& cells = rows_[static_cast<std::size_t>(row)];
  return static_cast<std::size_t>(column) < cells.size() ? std::string_view(cells[static_cast<std::size_t>(column)])
                                                         : std::string_view();
}

bool CellTable::set_cell(int row, int column, const Text& text) {
  if (!in_range(row, rows_.size()) || !in_range(column, columns_.size())) return false;
  Row& cells = rows_[static_cast<std::size_t>(row)];
  const auto at = static_cast<std::size_t>(column);
  if (at >= cells.size()) {
    if (text.empty()) return true;
    cells.resize(at + 1);
  }
  cells[at] = text;
  return true;
}

int CellTable::insert_row(std::optional<int> index, const Text& first_cell) {
  const std::size_t at = insertion_index(index, rows_.size());
  Row cells;
  if (!first_cell.empty()) cells.push_back(first_cell);
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), std::move(cells));
  return static_cast<int>(at);
}

void CellTable::delete_all_rows() {
  rows_.clear();
  rows_.shrink_to_fit();
}

int CellTable::insert_column(std::optional<int> index, ColumnDefinition definition) {
  const std::size_t at = insertion_index(index, columns_.size());
  columns_.insert(columns_.begin() + static_cast<std::ptrdiff_t>(at), std::move(definition));
  for (Row& cells : rows_) {
    if (at < cells.size()) cells.insert(cells.begin() + static_cast<std::ptrdiff_t>(at), Text());
  }
  return static_cast<int>(at);
}

bool CellTable::delete_column(int column) {
  if (!in_range(column, columns_.size())) return false;
  const auto at = static_cast<std::size_t>(column);
  columns_.erase(columns_.begin() + static_cast<std::ptrdiff_t>(at));
  for (Row& cells : rows_) {
    if (at < cells.size()) cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return true;
}

void CellTable::replace_columns(const std::vector<ColumnDefinition>& columns) {
  rows_.clear();
  rows_.shrink_to_fit();
  columns_ = columns;
}

}  // namespace colsplit
