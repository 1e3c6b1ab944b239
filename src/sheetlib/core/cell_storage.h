// How a CellGrid holds its cells: every text in one arena, and per cell an
// 8-byte record (column, where its text lies), sorted by row and column
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
#include "sheetlib/core/cell_grid.h"
#include "sheetlib/core/limits.h"

namespace sheetlib {

// A sheet has at most 16,384 columns: the column takes 14 bits of a word
// whose next bit says whether a typed value follows the text in the arena
// and whose other 17 bits say how long the text is. A text of kLongText
// bytes or more (Excel's cells hold at most 32,767 characters, but a file
// may hold more) lies behind a 4-byte length in the arena; kSharedString
// marks a cell whose offset is, for now, the index of its shared string, and
// kFormattedString one whose offset is, for now, the place in the arena of
// that index and of the style whose section for texts shows the string.
struct CellRecord {
  static constexpr unsigned kColumnBits = 14;
  static constexpr unsigned kLengthShift = kColumnBits + 1;
  static constexpr std::uint32_t kColumnLimit = std::uint32_t{1} << kColumnBits;
  static constexpr std::uint32_t kTypedBit = kColumnLimit;
  static constexpr std::uint32_t kSharedString = (std::uint32_t{1} << (32 - kLengthShift)) - 1;
  static constexpr std::uint32_t kFormattedString = kSharedString - 1;
  static constexpr std::uint32_t kLongText = kSharedString - 2;

  std::uint32_t offset;  // of the text (or of its length) in the arena
  std::uint32_t column_and_length;

  CellRecord() = default;
  CellRecord(std::uint32_t column, std::uint32_t offset, std::uint32_t length_code, bool typed)
      : offset(offset), column_and_length(column | (typed ? kTypedBit : 0) | length_code << kLengthShift) {}
  std::uint32_t column() const { return column_and_length & (kColumnLimit - 1); }
  std::uint32_t length_code() const { return column_and_length >> kLengthShift; }
  bool typed() const { return (column_and_length & kTypedBit) != 0; }
  bool awaits_shared_string() const { return length_code() == kSharedString; }
  bool awaits_formatted_string() const { return length_code() == kFormattedString; }
};
static_assert(sizeof(CellRecord) == 8);
static_assert(kMaxColumns <= CellRecord::kColumnLimit, "a cell record holds the column in its bits");

struct CellGrid::Storage {
  // The length of a string cell whose offset is, for now, the index of its
  // shared string (no text is this long: see append_text).
  static constexpr std::uint32_t kSharedStringCell = UINT32_MAX;
  // The length of a string cell whose offset is, for now, the place of a
  // FormattedStringRequest in the arena.
  static constexpr std::uint32_t kFormattedStringCell = UINT32_MAX - 1;
  // Set in the length given to add_cell when a typed value follows the text
  // (append_typed_text); no text is this long either.
  static constexpr std::uint32_t kTypedCell = std::uint32_t{1} << 31;
  // What follows the text of a typed cell: its kind (with the flags
  // below), its style in 2 bytes (4 with kWideStyle), and its number in 8
  // unless kNumberIsText. Most numbers show in General, as the very digits
  // that read back as the same double: for them the text is the number,
  // and a sheet of a million of them keeps 3 bytes a cell, not 11.
  static constexpr std::uint8_t kNumberIsText = 0x80;
  static constexpr std::uint8_t kWideStyle = 0x40;
  static constexpr std::size_t kMostTypedValueBytes = 1 + 4 + 8;

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

  // Appends text to the arena (a long one after its length); false when the
  // arena would pass 4 GiB (or the text is 2 GiB long).
  bool append_text(std::string_view text, std::uint32_t& offset);
  // The same for the text of a number, boolean or error cell, followed by
  // its value; `length` receives the text's length with kTypedCell set, as
  // add_cell takes it.
  bool append_typed_text(std::string_view text, const CellValue& value, std::uint32_t& offset,
                         std::uint32_t& length);
  // A cell of a column below CellRecord::kColumnLimit whose text append_text
  // placed at offset, or whose shared string's index is offset (length
  // kSharedStringCell).
  void add_cell(std::uint32_t row, std::uint32_t column, std::uint32_t offset, std::uint32_t length);
  // The text of a cell of this grid whose shared string is placed.
  std::string_view text_of(const CellRecord& cell) const;
  // What such a cell holds.
  CellValue value_of(const CellRecord& cell) const;
  // Places the text of a cell that awaited its shared string.
  static void place_shared_string(CellRecord& cell, std::uint32_t offset, std::uint32_t length);
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
