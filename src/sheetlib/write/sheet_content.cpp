#include "sheetlib/write/sheet_content.h"

#include <algorithm>

#include "text/encoding.h"

namespace sheetlib {

std::uint32_t SharedStrings::intern(std::string_view gbk) {
  const auto found = index_.find(gbk);
  if (found != index_.end()) return found->second;
  const auto index = static_cast<std::uint32_t>(utf8_.size());
  // Convert first: if that throws, the table is unchanged.
  std::string utf8 = colsplit::gbk_to_utf8(gbk);
  gbk_.emplace_back(gbk);
  try {
    utf8_.push_back(std::move(utf8));
    try {
      index_.emplace(std::string_view(gbk_.back()), index);
    } catch (...) {
      utf8_.pop_back();
      throw;
    }
  } catch (...) {
    gbk_.pop_back();
    throw;
  }
  return index;
}

namespace {

bool cell_before(const CellEntry& a, const CellEntry& b) {
  return a.row != b.row ? a.row < b.row : a.column < b.column;
}

}  // namespace

void SheetContent::set_cell(std::uint32_t row, std::uint32_t column, std::uint32_t string_index,
                            std::uint32_t style) {
  const CellEntry entry{row, column, string_index, style};
  if (in_order_ && !cells_.empty() && !cell_before(cells_.back(), entry)) {
    if (cells_.back().row == row && cells_.back().column == column) {
      cells_.back() = entry;
      return;
    }
    in_order_ = false;
  }
  cells_.push_back(entry);
}

void SheetContent::put_in_order() {
  if (in_order_) return;
  // Stable, so that of several writes to one cell the last one stays last.
  std::stable_sort(cells_.begin(), cells_.end(), cell_before);
  auto kept = cells_.begin();
  for (auto it = cells_.begin(); it != cells_.end(); ++it) {
    const auto next = it + 1;
    if (next != cells_.end() && next->row == it->row && next->column == it->column) continue;
    *kept++ = *it;
  }
  cells_.erase(kept, cells_.end());
  in_order_ = true;
}

const std::vector<CellEntry>& SheetContent::cells() {
  put_in_order();
  return cells_;
}

const CellEntry* SheetContent::find(std::uint32_t row, std::uint32_t column) {
  put_in_order();
  const CellEntry key{row, column, 0, 0};
  const auto it = std::lower_bound(cells_.begin(), cells_.end(), key, cell_before);
  if (it == cells_.end() || it->row != row || it->column != column) return nullptr;
  return &*it;
}

Extent SheetContent::value_extent() {
  put_in_order();
  Extent extent;
  for (const CellEntry& cell : cells_) {
    if (cell.string_index == kNoString) continue;
    extent.rows = std::max(extent.rows, cell.row + 1);
    extent.columns = std::max(extent.columns, cell.column + 1);
  }
  return extent;
}

Extent SheetContent::cell_extent() {
  put_in_order();
  Extent extent;
  for (const CellEntry& cell : cells_) {
    extent.rows = std::max(extent.rows, cell.row + 1);
    extent.columns = std::max(extent.columns, cell.column + 1);
  }
  return extent;
}

void SheetContent::set_columns(const ColumnRun& run) {
  // Cut the new range out of the runs it overlaps, keeping the parts on
  // either side, then put the new run in its place: the package may not
  // describe one column twice.
  std::vector<ColumnRun> runs;
  runs.reserve(columns_.size() + 2);
  for (const ColumnRun& old : columns_) {
    if (old.last < run.first || old.first > run.last) {
      runs.push_back(old);
      continue;
    }
    if (old.first < run.first) {
      ColumnRun left = old;
      left.last = run.first - 1;
      runs.push_back(left);
    }
    if (old.last > run.last) {
      ColumnRun right = old;
      right.first = run.last + 1;
      runs.push_back(right);
    }
  }
  runs.push_back(run);
  std::sort(runs.begin(), runs.end(), [](const ColumnRun& a, const ColumnRun& b) { return a.first < b.first; });
  columns_ = std::move(runs);
}

}  // namespace sheetlib
