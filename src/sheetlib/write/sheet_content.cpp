#include "sheetlib/write/sheet_content.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "text/encoding.h"

namespace sheetlib {

std::uint32_t SharedStrings::intern(std::string_view gbk) {
  const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>{}(gbk));
  // At most half full: probes stay short.
  if ((entries_.size() + 1) * 2 > slots_.size()) grow_index();
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = hash & mask;
  for (; slots_[slot] != 0; slot = (slot + 1) & mask) {
    const Entry& entry = entries_[slots_[slot] - 1];
    if (entry.hash == hash && std::string_view(entry.text, entry.length) == gbk) return slots_[slot] - 1;
  }
  const auto index = static_cast<std::uint32_t>(entries_.size());
  // Stored first: if that throws, the table is unchanged.
  const char* text = store(gbk);
  entries_.push_back({text, static_cast<std::uint32_t>(gbk.size()), hash});
  slots_[slot] = index + 1;
  items_.add(gbk);
  return index;
}

std::string SharedStrings::utf8(std::uint32_t index) const { return colsplit::gbk_to_utf8(gbk(index)); }

const char* SharedStrings::store(std::string_view gbk) {
  if (gbk.size() > room_) {
    // Blocks grow to 1 MiB; a longer text gets a block of its own size.
    const std::size_t size = std::max(next_block_, gbk.size());
    blocks_.reserve(blocks_.size() + 1);
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    free_ = blocks_.back().get();
    room_ = size;
    next_block_ = std::min<std::size_t>(next_block_ * 2, 1 << 20);
  }
  char* text = free_;
  if (!gbk.empty()) std::memcpy(text, gbk.data(), gbk.size());
  free_ += gbk.size();
  room_ -= gbk.size();
  return text;
}

void SharedStrings::grow_index() {
  std::vector<std::uint32_t> slots(std::max<std::size_t>(slots_.size() * 2, 64), 0);
  const std::size_t mask = slots.size() - 1;
  for (std::uint32_t i = 0; i < entries_.size(); ++i) {
    std::size_t slot = entries_[i].hash & mask;
    while (slots[slot] != 0) slot = (slot + 1) & mask;
    slots[slot] = i + 1;
  }
  slots_.swap(slots);
}

namespace {

bool cell_before(const CellEntry& a, const CellEntry& b) {
  return a.row != b.row ? a.row < b.row : a.column < b.column;
}

std::uint32_t tagged(EntryKind kind, std::uint32_t style) {
  return static_cast<std::uint32_t>(kind) << CellEntry::kKindShift | style;
}

}  // namespace

void SheetContent::set_number(std::uint32_t row, std::uint32_t column, double number, std::uint32_t style) {
  // Rewriting the number just written (a cell in order, rewritten at once)
  // reuses its slot.
  if (in_order_ && !cells_.empty() && cells_.back().row == row && cells_.back().column == column &&
      cells_.back().kind() == EntryKind::number) {
    numbers_[cells_.back().value] = number;
    cells_.back().kind_and_style = tagged(EntryKind::number, style);
    return;
  }
  numbers_.push_back(number);
  put(row, column, static_cast<std::uint32_t>(numbers_.size() - 1), tagged(EntryKind::number, style));
}

void SheetContent::set_boolean(std::uint32_t row, std::uint32_t column, bool value, std::uint32_t style) {
  put(row, column, value ? 1u : 0u, tagged(EntryKind::boolean, style));
}

void SheetContent::put(std::uint32_t row, std::uint32_t column, std::uint32_t value, std::uint32_t kind_and_style) {
  const CellEntry entry{row, column, value, kind_and_style};
  if (in_order_ && !cells_.empty() && !cell_before(cells_.back(), entry)) {
    if (cells_.back().row == entry.row && cells_.back().column == entry.column) {
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
    if (cell.is_blank()) continue;
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

bool SheetContent::add_merged_range(const CellRange& range) {
  for (const CellRange& merged : merged_ranges_) {
    if (range.first_row <= merged.last_row && merged.first_row <= range.last_row &&
        range.first_column <= merged.last_column && merged.first_column <= range.last_column) {
      return false;
    }
  }
  merged_ranges_.push_back(range);
  return true;
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
