#include "sheetlib/read/cell_grid.h"

#include <algorithm>

namespace sheetlib {

CellGrid::CellGrid() : storage_(std::make_unique<Storage>()) {}
CellGrid::~CellGrid() = default;
CellGrid::CellGrid(CellGrid&&) noexcept = default;
CellGrid& CellGrid::operator=(CellGrid&&) noexcept = default;

CellGrid::Storage& CellGrid::storage() { return *storage_; }
const CellGrid::Storage& CellGrid::storage() const { return *storage_; }

int CellGrid::row_extent() const { return storage_ ? storage_->row_extent : 0; }
int CellGrid::column_extent() const { return storage_ ? storage_->column_extent : 0; }

std::string_view CellGrid::text(int row, int column) const {
  const CellRecord* cell = storage_ ? storage_->find(row, column) : nullptr;
  if (!cell) return {};
  return storage_->arena.text(cell->offset, cell->length);
}

bool CellGrid::has_value(int row, int column) const { return storage_ && storage_->find(row, column) != nullptr; }

bool CellGrid::Storage::append_text(std::string_view text, std::uint32_t& offset) {
  if (!arena.fits(text.size())) return false;
  offset = arena.append(text);
  return true;
}

void CellGrid::Storage::add_cell(std::uint32_t row, std::uint32_t column, std::uint32_t offset,
                                 std::uint32_t length) {
  if (in_order && !cells.empty()) {
    const CellRecord& last = cells.back();
    in_order = last.row < row || (last.row == row && last.column < column);
  }
  cells.push_back({row, column, offset, length});
}

void CellGrid::Storage::finish() {
  const auto before = [](const CellRecord& a, const CellRecord& b) {
    return a.row < b.row || (a.row == b.row && a.column < b.column);
  };
  if (!in_order) {
    // Rare (cells written out of order by hand): sorted in one block.
    std::vector<CellRecord> sorted(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) sorted[i] = cells[i];
    std::stable_sort(sorted.begin(), sorted.end(), before);
    // Of a cell given twice, the later one is what the sheet holds.
    std::size_t kept = 0;
    for (const CellRecord& cell : sorted) {
      if (kept > 0 && sorted[kept - 1].row == cell.row && sorted[kept - 1].column == cell.column)
        sorted[kept - 1] = cell;
      else
        sorted[kept++] = cell;
    }
    cells.clear();
    cells.grow_to(kept);
    for (std::size_t i = 0; i < kept; ++i) cells[i] = sorted[i];
    in_order = true;
  }
  std::uint32_t max_column = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) max_column = std::max(max_column, cells[i].column + 1);
  column_extent = static_cast<int>(max_column);
  row_extent = cells.empty() ? 0 : static_cast<int>(cells.back().row + 1);
  row_starts.assign(static_cast<std::size_t>(row_extent) + 1, 0);
  std::size_t next = 0;
  for (int row = 0; row <= row_extent; ++row) {
    while (next < cells.size() && cells[next].row < static_cast<std::uint32_t>(row)) ++next;
    row_starts[static_cast<std::size_t>(row)] = static_cast<std::uint32_t>(next);
  }
}

const CellRecord* CellGrid::Storage::find(int row, int column) const {
  if (row < 0 || column < 0 || row >= row_extent || column >= column_extent) return nullptr;
  // The row's cells are in column order: a binary search among them.
  std::size_t first = row_starts[static_cast<std::size_t>(row)];
  std::size_t last = row_starts[static_cast<std::size_t>(row) + 1];
  const auto wanted = static_cast<std::uint32_t>(column);
  while (first < last) {
    const std::size_t middle = first + (last - first) / 2;
    if (cells[middle].column < wanted)
      first = middle + 1;
    else
      last = middle;
  }
  if (first == row_starts[static_cast<std::size_t>(row) + 1] || cells[first].column != wanted) return nullptr;
  return &cells[first];
}

}  // namespace sheetlib
