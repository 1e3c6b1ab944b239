// What a workbook being written holds, before it becomes package parts: the
// shared-string table, the cells, column settings and ignored-error ranges of
// each sheet, and the cell formats.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/write/string_items.h"

namespace sheetlib {

inline constexpr std::uint32_t kMaxRows = 1'048'576;
inline constexpr std::uint32_t kMaxColumns = 16'384;
inline constexpr double kMaxColumnWidth = 255.0;
inline constexpr std::uint32_t kNoString = UINT32_MAX;

// Every distinct cell text once, in GBK as the cells were given it; the
// cells refer to them by index. The texts lie in a few growing blocks and
// the lookup is an open-addressing table of indices: exported sheets repeat
// their values a lot (the split column holds one value throughout), and an
// export of thousands of small workbooks makes and drops thousands of these,
// so a text costs no allocation of its own. Each new text becomes the
// part's item at once (StringItems).
class SharedStrings {
 public:
  std::uint32_t intern(std::string_view gbk);
  std::size_t size() const { return entries_.size(); }
  std::string_view gbk(std::uint32_t index) const { return {entries_[index].text, entries_[index].length}; }
  std::string utf8(std::uint32_t index) const;
  // The part's items of the texts, in index order.
  StringItems& items() { return items_; }

 private:
  struct Entry {
    const char* text;
    std::uint32_t length;
    std::uint32_t hash;
  };

  const char* store(std::string_view gbk);
  void grow_index();

  std::vector<Entry> entries_;
  std::vector<std::uint32_t> slots_;  // 1 + the entry's index, 0 when free; a power of two long
  std::vector<std::unique_ptr<char[]>> blocks_;  // never move: the entries point into them
  char* free_ = nullptr;
  std::size_t room_ = 0;
  std::size_t next_block_ = 4096;
  StringItems items_;
};

struct CellEntry {
  std::uint32_t row;
  std::uint32_t column;
  std::uint32_t string_index;  // kNoString: a cell without a value (it still has its style)
  std::uint32_t style;         // index into the cell formats; 0 is the default format
};

struct ColumnRun {
  std::uint32_t first;
  std::uint32_t last;
  double width;
  std::uint32_t style;
  bool hidden;
  bool operator==(const ColumnRun&) const = default;
};

// The eight kinds of error indicator, as bits of the flag word.
enum IgnoredErrorFlag : unsigned {
  kEvalError = 1,
  kEmptyCellReference = 2,
  kNumberStoredAsText = 4,
  kFormulaRange = 8,
  kFormula = 16,
  kTwoDigitTextYear = 32,
  kUnlockedFormula = 64,
  kListDataValidation = 128,
  kAllIgnoredErrors = 255,
};

struct IgnoredErrorRange {
  std::uint32_t first_row;
  std::uint32_t first_column;
  std::uint32_t last_row;
  std::uint32_t last_column;
  unsigned flags;
};

struct Extent {
  std::uint32_t rows = 0;     // one past the last row
  std::uint32_t columns = 0;  // one past the last column
};

class SheetContent {
 public:
  // Sets a cell; a later write to the same cell replaces the earlier one.
  void set_cell(std::uint32_t row, std::uint32_t column, std::uint32_t string_index, std::uint32_t style);
  // The cells in row-major order, one entry per cell.
  const std::vector<CellEntry>& cells();
  const CellEntry* find(std::uint32_t row, std::uint32_t column);
  // Extent of the cells with a value, or of all cells.
  Extent value_extent();
  Extent cell_extent();

  // Settings of columns first … last, replacing earlier ones of those columns.
  void set_columns(const ColumnRun& run);
  // Disjoint runs in column order.
  const std::vector<ColumnRun>& columns() const { return columns_; }

  void add_ignored_errors(const IgnoredErrorRange& range) { ignored_errors_.push_back(range); }
  const std::vector<IgnoredErrorRange>& ignored_errors() const { return ignored_errors_; }

 private:
  void put_in_order();

  std::vector<CellEntry> cells_;
  bool in_order_ = true;  // cells_ sorted by (row, column) without duplicates
  std::vector<ColumnRun> columns_;
  std::vector<IgnoredErrorRange> ignored_errors_;
};

}  // namespace sheetlib
