#include "sheetlib/core/sheet_look.h"

#include <algorithm>

namespace sheetlib {

void CellStyles::append(const CellStyles& later) {
  for (const StyleRun& run : later.runs_) {
    for (std::uint32_t column = run.first_column; column <= run.last_column; ++column) add(run.row, column, run.style);
  }
  if (!later.in_order_) in_order_ = false;
}

void CellStyles::finish() {
  if (in_order_) return;
  // Rare (cells written out of order by hand): one entry per cell, sorted,
  // the last of a cell given twice kept, and the runs made again.
  struct Entry {
    std::uint32_t row, column, style;
  };
  std::vector<Entry> cells;
  for (const StyleRun& run : runs_) {
    for (std::uint32_t column = run.first_column; column <= run.last_column; ++column)
      cells.push_back({run.row, column, run.style});
  }
  std::stable_sort(cells.begin(), cells.end(), [](const Entry& a, const Entry& b) {
    return a.row < b.row || (a.row == b.row && a.column < b.column);
  });
  runs_.clear();
  in_order_ = true;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i + 1 < cells.size() && cells[i + 1].row == cells[i].row && cells[i + 1].column == cells[i].column) continue;
    add(cells[i].row, cells[i].column, cells[i].style);
  }
}

std::uint32_t CellStyles::at(std::uint32_t row, std::uint32_t column) const {
  // The last run that begins at or before the cell.
  const auto after = std::upper_bound(runs_.begin(), runs_.end(), std::pair{row, column},
                                      [](const std::pair<std::uint32_t, std::uint32_t>& cell, const StyleRun& run) {
                                        return cell.first < run.row ||
                                               (cell.first == run.row && cell.second < run.first_column);
                                      });
  if (after == runs_.begin()) return 0;
  const StyleRun& run = *(after - 1);
  return run.row == row && column <= run.last_column ? run.style : 0;
}

}  // namespace sheetlib
