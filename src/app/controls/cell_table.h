// The rows and columns that a list view holds. The Win32 list view is a
// virtual list view that hands these texts out on demand, and the in-memory
// list view is this table alone, so both behave the same.
//
// A sheet at the row limit holds millions of cells, most of them a few bytes
// long, and a 32-bit process must hold it beside the library's copy while
// loading. So the table keeps every text in one paged arena and per cell
// only where its text lies (8 bytes); every row has one slot per column.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "app/controls/controls.h"
#include "text/text_arena.h"

namespace colsplit {

class CellTable {
 public:
  int row_count() const { return static_cast<int>(rows_.size()); }
  int column_count() const { return static_cast<int>(columns_.size()); }

  const ColumnDefinition* column(int column) const;
  // The heading as a list view hands it out: through a 1024-byte buffer, so
  // at most ListView::kMaxHeadingBytes, cut at a character boundary; empty
  // for a column that does not exist.
  Text column_heading(int column) const;
  // The cell's text; empty for a cell never set or outside the table. The
  // view is good until the table next changes.
  std::string_view cell(int row, int column) const;
  bool set_cell(int row, int column, const Text& text);

  int insert_row(std::optional<int> index, const Text& first_cell);
  void delete_all_rows();
  // Removes rows first … first + count - 1 (those that exist).
  void delete_rows(int first, int count);
  bool set_column_heading(int column, const Text& heading);
  int insert_column(std::optional<int> index, ColumnDefinition definition);
  bool delete_column(int column);
  void replace_columns(const std::vector<ColumnDefinition>& columns);

  // Bytes of the arena that no cell uses any more (texts replaced by longer
  // ones, cells of deleted columns); it is compacted before they outweigh
  // the texts in use.
  std::size_t unused_text_bytes() const { return texts_.size() - live_bytes_; }

 private:
  // Zero when value-initialised, as the table's new slots are.
  struct Slot {
    std::uint32_t offset;  // in the arena
    std::uint32_t length;  // 0: an empty cell
  };

  Slot* find_slot(int row, int column);
  const Slot* find_slot(int row, int column) const;
  void store(Slot& slot, std::string_view text);
  // Rebuilds the slots for `columns` columns; old slot j goes to new slot
  // `move_to(j)`, or away when that is -1.
  template <typename MoveTo>
  void restride(std::size_t columns, MoveTo move_to);
  void compact_if_wasteful();
  void clear_cells();

  std::vector<ColumnDefinition> columns_;
  // List row i is stored row rows_[i]: inserting a row moves four bytes per
  // row, not the cells.
  std::vector<std::uint32_t> rows_;
  // Slots per stored row: the column count, and at least one, because a row
  // inserted before any column still keeps its first cell.
  std::size_t stride_ = 1;
  PagedArray<Slot> slots_;  // row-major, stride_ per stored row
  TextArena texts_;
  std::size_t live_bytes_ = 0;  // arena bytes that cells use
};

// The rules shared by both list views for the optional arguments.
int normalise_column_width(std::optional<int> width);

}  // namespace colsplit
