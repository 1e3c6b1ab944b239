// What a workbook being written holds, before it becomes package parts: the
// shared-string table, the cells, column settings and ignored-error ranges of
// each sheet, and the cell formats.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sheetlib {

inline constexpr std::uint32_t kMaxRows = 1'048'576;
inline constexpr std::uint32_t kMaxColumns = 16'384;
inline constexpr double kMaxColumnWidth = 255.0;
inline constexpr std::uint32_t kNoString = UINT32_MAX;

// Every distinct cell text once. Texts arrive in GBK and are converted to
// UTF-8 once per distinct text; the cells refer to them by index. A hash map
// keeps the lookup constant-time: exported sheets repeat their values a lot
// (the split column holds one value throughout), so the table stays small
// and the sheet part stays short.
class SharedStrings {
 public:
  std::uint32_t intern(std::string_view gbk);
  std::size_t size() const { return utf8_.size(); }
  std::string_view utf8(std::uint32_t index) const { return utf8_[index]; }
  std::string_view gbk(std::uint32_t index) const { return gbk_[index]; }

 private:
  std::deque<std::string> gbk_;  // a deque never moves its strings, so the keys stay valid
  std::vector<std::string> utf8_;
  std::unordered_map<std::string_view, std::uint32_t> index_;
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
