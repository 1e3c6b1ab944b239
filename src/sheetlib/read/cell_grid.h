// How a CellGrid holds its cells: every text in one arena, and per cell a
// 12-byte record (column, where its text lies), sorted by row and column
// once the sheet is read, with an index of where each row's run begins. Both
// grow in pages: a sheet of millions of cells is read in a 32-bit process
// beside the file's bytes, and a doubling vector would need twice its size
// in one block at its last growth.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_arena.h"
#include "sheetlib/read/workbook_reader.h"

namespace sheetlib {

struct CellRecord {
  std::uint32_t column;
  std::uint32_t offset;  // of the text in the arena
  std::uint32_t length;
};

struct CellGrid::Storage {
  // The length of a string cell whose offset is, for now, the index of its
  // shared string (no text is this long: see append_text).
  static constexpr std::uint32_t kSharedStringCell = UINT32_MAX;

  colsplit::TextArena arena;
  colsplit::PagedArray<CellRecord> cells;  // by row, then column, once finished
  std::vector<std::uint32_t> row_starts;   // row r's cells: [row_starts[r], row_starts[r + 1])
  // The row of every cell, kept only once a cell came out of order (rows
  // and cells written by hand); cells in order need no row of their own.
  colsplit::PagedArray<std::uint32_t> rows_out_of_order;
  int row_extent = 0;
  int column_extent = 0;
  bool in_order = true;  // cells arrived sorted so far
  std::uint32_t last_row = 0;
  std::uint32_t last_column = 0;

  // Appends text to the arena; false when the arena would pass 4 GiB (or
  // the text is 4 GiB long).
  bool append_text(std::string_view text, std::uint32_t& offset);
  void add_cell(std::uint32_t row, std::uint32_t column, std::uint32_t offset, std::uint32_t length);
  // Sorts, drops all but the last of cells given twice, builds the index.
  void finish();
  // Drops every cell (the arena keeps its texts): the sheet is read again.
  void forget_cells();
  const CellRecord* find(int row, int column) const;

 private:
  void note_rows_so_far();
  void sort_cells();
};

}  // namespace sheetlib
