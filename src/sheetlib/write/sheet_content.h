// What a workbook being written holds, before it becomes package parts: the
// shared-string table, the cells, column settings, ignored-error and merged
// ranges of each sheet, and the cell formats.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/core/limits.h"
#include "sheetlib/core/sheet_look.h"
#include "sheetlib/write/string_items.h"

namespace sheetlib {

inline constexpr double kMaxColumnWidth = 255.0;
inline constexpr std::uint32_t kNoString = UINT32_MAX;
// Number format ids from here on are the workbook's own codes; below, the
// built-in formats.
inline constexpr int kFirstCustomNumberFormat = 164;

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

// What a written cell holds. A string cell's kind is 0, so that its entry
// reads as it always did: the hot path of the export (millions of string
// cells) pays no decoding for the other kinds.
enum class EntryKind : std::uint32_t { string = 0, number = 1, boolean = 2 };

// One written cell in 16 bytes: an export holds millions of them. The kind
// lives in the top bits of the style word (styles stay below 64,000).
struct CellEntry {
  static constexpr std::uint32_t kKindShift = 30;
  static constexpr std::uint32_t kStyleMask = (std::uint32_t{1} << kKindShift) - 1;

  std::uint32_t row;
  std::uint32_t column;
  // By kind: the shared string's index (kNoString: a cell without a value,
  // which still has its style), the index of the number among the sheet's
  // numbers, or 1 / 0 for TRUE / FALSE.
  std::uint32_t value;
  std::uint32_t kind_and_style;

  EntryKind kind() const { return static_cast<EntryKind>(kind_and_style >> kKindShift); }
  // Index into the cell formats; 0 is the default format.
  std::uint32_t style() const { return kind_and_style & kStyleMask; }
  bool is_blank() const { return kind_and_style >> kKindShift == 0 && value == kNoString; }
};
static_assert(sizeof(CellEntry) == 16);

// A rectangle of cells, rows and columns inclusive and zero-based.
struct CellRange {
  std::uint32_t first_row;
  std::uint32_t first_column;
  std::uint32_t last_row;
  std::uint32_t last_column;
  bool operator==(const CellRange&) const = default;
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
  // Sets a cell; a later write to the same cell replaces the earlier one,
  // whatever either holds.
  void set_cell(std::uint32_t row, std::uint32_t column, std::uint32_t string_index, std::uint32_t style) {
    put(row, column, string_index, style);  // a string's kind is 0: its style is the whole word
  }
  void set_number(std::uint32_t row, std::uint32_t column, double number, std::uint32_t style);
  void set_boolean(std::uint32_t row, std::uint32_t column, bool value, std::uint32_t style);
  // The cells in row-major order, one entry per cell.
  const std::vector<CellEntry>& cells();
  const CellEntry* find(std::uint32_t row, std::uint32_t column);
  // The number of a number cell's entry.
  double number(const CellEntry& cell) const { return numbers_[cell.value]; }
  // Extent of the cells with a value, or of all cells.
  Extent value_extent();
  Extent cell_extent();

  // Settings of columns first … last, replacing earlier ones of those columns.
  void set_columns(const ColumnRun& run);
  // Disjoint runs in column order.
  const std::vector<ColumnRun>& columns() const { return columns_; }

  void add_ignored_errors(const IgnoredErrorRange& range) { ignored_errors_.push_back(range); }
  const std::vector<IgnoredErrorRange>& ignored_errors() const { return ignored_errors_; }

  // Adds a merged range; false, adding nothing, when it overlaps one already
  // there (an application refuses a file with overlapping merges).
  bool add_merged_range(const CellRange& range);
  // The merged ranges in the order they were added.
  const std::vector<CellRange>& merged_ranges() const { return merged_ranges_; }

  // How the sheet looks beyond its cells, columns and merges: row heights
  // and hidden rows (any order, one entry per row), default sizes, the view,
  // filter, validations, conditional formats (their dxfIds index the
  // written book's BookLook::dxfs), links and print setup. Empty, as it is
  // unless a look was copied in, it writes nothing. hidden_columns is not
  // used: columns are hidden through set_columns.
  SheetLook& look() { return look_; }
  const SheetLook& look() const { return look_; }

 private:
  void put(std::uint32_t row, std::uint32_t column, std::uint32_t value, std::uint32_t kind_and_style);
  void put_in_order();

  std::vector<CellEntry> cells_;
  bool in_order_ = true;  // cells_ sorted by (row, column) without duplicates
  // The values of the number cells. A replaced number stays behind unused:
  // compacting would cost more than the few bytes it holds.
  std::vector<double> numbers_;
  std::vector<ColumnRun> columns_;
  std::vector<IgnoredErrorRange> ignored_errors_;
  std::vector<CellRange> merged_ranges_;
  SheetLook look_;
};

}  // namespace sheetlib
