#include "app/controls/cell_table.h"

#include <algorithm>
#include <limits>

#include "memory/memory_request.h"
#include "text/gbk_chars.h"

namespace colsplit {

namespace {

bool in_range(int index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size; }

// Index at which to insert: the given one when it lies within 0 … size,
// otherwise the end.
std::size_t insertion_index(std::optional<int> index, std::size_t size) {
  if (index && *index >= 0 && static_cast<std::size_t>(*index) <= size) return static_cast<std::size_t>(*index);
  return size;
}

// Unused arena bytes are only worth a compaction beyond this much.
constexpr std::size_t kLeastCompactedBytes = std::size_t{16} << 20;

}  // namespace

int normalise_column_width(std::optional<int> width) {
  if (!width) return ListView::kDefaultColumnWidth;
  return *width < 0 ? 0 : *width;
}

// ---- The table ----

const ColumnDefinition* CellTable::column(int column) const {
  return in_range(column, columns_.size()) ? &columns_[static_cast<std::size_t>(column)] : nullptr;
}

const CellTable::Slot* CellTable::find_slot(int row, int column) const {
  if (!in_range(row, rows_.size()) || !in_range(column, stride_)) return nullptr;
  return &slots_[rows_[static_cast<std::size_t>(row)] * stride_ + static_cast<std::size_t>(column)];
}

CellTable::Slot* CellTable::find_slot(int row, int column) {
  return const_cast<Slot*>(static_cast<const CellTable&>(*this).find_slot(row, column));
}

Text CellTable::column_heading(int column) const {
  const ColumnDefinition* definition = this->column(column);
  if (!definition) return {};
  return Text(cut_at_char_boundary(definition->heading, ListView::kMaxHeadingBytes));
}

std::string_view CellTable::cell(int row, int column) const {
  const Slot* slot = find_slot(row, column);
  if (!slot) return {};
  return texts_.text(slot->offset, slot->length);
}

void CellTable::store(Slot& slot, std::string_view text) {
  // A cell notes a text's length in 32 bits.
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) memory_request_failed(text.size());
  if (!text.empty() && text.size() <= slot.length) {
    // A text no longer than the one it replaces takes its place.
    texts_.overwrite(slot.offset, text);
  } else if (!text.empty()) {
    slot.offset = texts_.append(text);
  }
  live_bytes_ = live_bytes_ - slot.length + text.size();
  slot.length = static_cast<std::uint32_t>(text.size());
  if (text.empty()) slot.offset = 0;
}

bool CellTable::set_cell(int row, int column, const Text& text) {
  if (!in_range(row, rows_.size()) || !in_range(column, columns_.size())) return false;
  store(*find_slot(row, column), text);
  compact_if_wasteful();
  return true;
}

int CellTable::insert_row(std::optional<int> index, const Text& first_cell) {
  const std::size_t at = insertion_index(index, rows_.size());
  // A row's index is an int.
  if (rows_.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    memory_request_failed((rows_.size() + 1) * sizeof(std::uint32_t));
  }
  const auto stored = static_cast<std::uint32_t>(rows_.size());
  slots_.grow_to((stored + std::size_t{1}) * stride_);
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), stored);
  if (!first_cell.empty()) store(slots_[stored * stride_], first_cell);
  return static_cast<int>(at);
}

void CellTable::clear_cells() {
  rows_.clear();
  rows_.shrink_to_fit();
  // The export empties its staging table once per group: the first pages
  // stay for the next group.
  slots_.reset();
  texts_.reset();
  live_bytes_ = 0;
  stride_ = std::max<std::size_t>(columns_.size(), 1);
}

void CellTable::delete_all_rows() { clear_cells(); }

void CellTable::delete_rows(int first, int count) {
  const std::size_t begin = static_cast<std::size_t>(std::clamp(first, 0, row_count()));
  const std::size_t end = static_cast<std::size_t>(std::clamp(static_cast<long long>(begin) + std::max(count, 0), 0LL,
                                                              static_cast<long long>(rows_.size())));
  if (begin == end) return;
  // The remaining rows are stored afresh, in list order, so that stored
  // rows stay numbered 0 … n-1 as insert_row and restride expect.
  PagedArray<Slot> kept;
  kept.grow_to((rows_.size() - (end - begin)) * stride_);
  std::size_t to = 0;
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    for (std::size_t j = 0; j < stride_; ++j) {
      const Slot& slot = slots_[rows_[row] * stride_ + j];
      if (row >= begin && row < end) {
        live_bytes_ -= slot.length;
      } else {
        kept[to * stride_ + j] = slot;
      }
    }
    if (row < begin || row >= end) ++to;
  }
  slots_ = std::move(kept);
  rows_.resize(to);
  for (std::size_t row = 0; row < to; ++row) rows_[row] = static_cast<std::uint32_t>(row);
  compact_if_wasteful();
}

bool CellTable::set_column_heading(int column, const Text& heading) {
  if (column < 0 || column >= column_count()) return false;
  columns_[static_cast<std::size_t>(column)].heading = heading;
  return true;
}

template <typename MoveTo>
void CellTable::restride(std::size_t columns, MoveTo move_to) {
  const std::size_t new_stride = std::max<std::size_t>(columns, 1);
  PagedArray<Slot> moved;
  moved.grow_to(rows_.size() * new_stride);
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    for (std::size_t j = 0; j < stride_; ++j) {
      const Slot& slot = slots_[row * stride_ + j];
      const std::ptrdiff_t to = move_to(j);
      if (to >= 0) {
        moved[row * new_stride + static_cast<std::size_t>(to)] = slot;
      } else {
        live_bytes_ -= slot.length;
      }
    }
  }
  slots_ = std::move(moved);
  stride_ = new_stride;
}

int CellTable::insert_column(std::optional<int> index, ColumnDefinition definition) {
  const std::size_t at = insertion_index(index, columns_.size());
  const bool had_columns = !columns_.empty();
  // The first cell of rows inserted before any column is the item's own
  // text, and so stays in column 0.
  restride(columns_.size() + 1, [&](std::size_t j) -> std::ptrdiff_t {
    return static_cast<std::ptrdiff_t>(had_columns && j >= at ? j + 1 : j);
  });
  columns_.insert(columns_.begin() + static_cast<std::ptrdiff_t>(at), std::move(definition));
  return static_cast<int>(at);
}

bool CellTable::delete_column(int column) {
  if (!in_range(column, columns_.size())) return false;
  const auto at = static_cast<std::size_t>(column);
  restride(columns_.size() - 1, [&](std::size_t j) -> std::ptrdiff_t {
    if (j == at) return -1;
    return static_cast<std::ptrdiff_t>(j > at ? j - 1 : j);
  });
  columns_.erase(columns_.begin() + static_cast<std::ptrdiff_t>(at));
  compact_if_wasteful();
  return true;
}

void CellTable::replace_columns(const std::vector<ColumnDefinition>& columns) {
  columns_ = columns;
  clear_cells();
}

void CellTable::compact_if_wasteful() {
  const std::size_t unused = unused_text_bytes();
  if (unused < kLeastCompactedBytes || unused < live_bytes_) return;
  // The new places are only taken once every text has been copied, so that
  // running out of memory on the way leaves the table as it was.
  TextArena compacted;
  const std::size_t slot_count = rows_.size() * stride_;
  std::vector<std::uint32_t> offsets(slot_count);
  for (std::size_t i = 0; i < slot_count; ++i) {
    const Slot& slot = slots_[i];
    if (slot.length != 0) offsets[i] = compacted.append(texts_.text(slot.offset, slot.length));
  }
  for (std::size_t i = 0; i < slot_count; ++i) slots_[i].offset = offsets[i];
  texts_ = std::move(compacted);
}

}  // namespace colsplit
