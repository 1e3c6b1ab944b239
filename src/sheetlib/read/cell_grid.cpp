#include "sheetlib/read/cell_grid.h"

#include <algorithm>
#include <limits>

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
  return std::string_view(storage_->arena).substr(cell->offset, cell->length);
}

bool CellGrid::has_value(int row, int column) const { return storage_ && storage_->find(row, column) != nullptr; }

bool CellGrid::Storage::append_text(std::string_view text, std::uint32_t& offset) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max() - arena.size()) return false;
  offset = static_cast<std::uint32_t>(arena.size());
  arena.append(text);
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
    std::stable_sort(cells.begin(), cells.end(), before);
    // Of a cell given twice, the later one is what the sheet holds.
    std::size_t kept = 0;
    for (const CellRecord& cell : cells) {
      if (kept > 0 && cells[kept - 1].row == cell.row && cells[kept - 1].column == cell.column)
        cells[kept - 1] = cell;
      else
        cells[kept++] = cell;
    }
    cells.resize(kept);
    in_order = true;
  }
  // Giving back the slack of the last doubling costs a copy of every cell
  // while both copies live; only worth it when the slack is large.
  if (cells.capacity() - cells.size() > cells.size() / 4) cells.shrink_to_fit();
  std::uint32_t max_column = 0;
  for (const CellRecord& cell : cells) max_column = std::max(max_column, cell.column + 1);
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
  const auto first = cells.begin() + row_starts[static_cast<std::size_t>(row)];
  const auto last = cells.begin() + row_starts[static_cast<std::size_t>(row) + 1];
  const auto found = std::lower_bound(first, last, static_cast<std::uint32_t>(column),
                                      [](const CellRecord& cell, std::uint32_t c) { return cell.column < c; });
  if (found == last || found->column != static_cast<std::uint32_t>(column)) return nullptr;
  return &*found;
}

}  // namespace sheetlib
