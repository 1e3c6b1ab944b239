// The cells of one worksheet as a reader leaves them: the texts they show
// (GBK) and the values they hold, with the sheet's number formats, merged
// ranges and column widths. Both readers, .xlsx and .xls, fill it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sheetlib {

struct Look;

// What a cell holds besides the text it shows. A number (dates and times
// are numbers too), a boolean or an error keeps its value and its style;
// texts (shared, inline, formula strings) are text.
enum class CellKind : std::uint8_t { empty = 0, text, number, boolean, error };

struct CellValue {
  CellKind kind = CellKind::empty;
  double number = 0;        // the number; 1 or 0 for a boolean; 0 otherwise
  std::uint32_t style = 0;  // index into CellGrid::style_formats()
};

// The number format of one cell style: its id (below 164 a built-in one,
// whose look the reading application's locale decides) and the code the
// file gives for it (UTF-8), or empty when the file gives none.
struct StyleNumberFormat {
  int id = 0;
  std::string code;
};

// A merged range, rows and columns inclusive and zero-based.
struct MergedRange {
  std::uint32_t first_row = 0;
  std::uint32_t last_row = 0;
  std::uint32_t first_column = 0;
  std::uint32_t last_column = 0;
  bool operator==(const MergedRange&) const = default;
};

// Columns first … last (zero-based, inclusive) set to a width, in characters.
struct ColumnWidth {
  std::uint32_t first = 0;
  std::uint32_t last = 0;
  double width = 0;
  bool operator==(const ColumnWidth&) const = default;
};

// The cells of one worksheet as they show: GBK texts, addressed by zero-based
// row and column.
class CellGrid {
 public:
  CellGrid();
  ~CellGrid();
  CellGrid(CellGrid&&) noexcept;
  CellGrid& operator=(CellGrid&&) noexcept;

  // One past the last row / column holding a cell with a value (0 when empty).
  int row_extent() const;
  int column_extent() const;
  // The text the cell shows (GBK); empty for an empty or missing cell. The
  // view stays valid as long as the grid.
  std::string_view text(int row, int column) const;
  // True when the cell holds a value (possibly one that shows as empty text).
  bool has_value(int row, int column) const;
  // What the cell holds: empty for an empty or missing cell.
  CellValue value(int row, int column) const;

  // The number formats of the styles that typed cells refer to, by style index.
  std::vector<StyleNumberFormat>& style_formats() { return style_formats_; }
  const std::vector<StyleNumberFormat>& style_formats() const { return style_formats_; }
  // The merged ranges of the sheet, in the file's order.
  std::vector<MergedRange>& merged_ranges() { return merged_ranges_; }
  const std::vector<MergedRange>& merged_ranges() const { return merged_ranges_; }
  // The column widths the sheet sets, in the file's order.
  std::vector<ColumnWidth>& column_widths() { return column_widths_; }
  const std::vector<ColumnWidth>& column_widths() const { return column_widths_; }

  // The look of the sheet and its workbook (sheet_look.h): null unless
  // want_look() was called before the sheet was read, which makes the
  // readers keep it.
  void want_look();
  Look* look() { return look_.get(); }
  const Look* look() const { return look_.get(); }

  // Drops every cell and its text (the memory goes back); the formats,
  // merged ranges, widths and look stay.
  void drop_cells();

  struct Storage;  // the reader's own layout
  Storage& storage();
  const Storage& storage() const;

 private:
  std::unique_ptr<Storage> storage_;
  std::vector<StyleNumberFormat> style_formats_;
  std::vector<MergedRange> merged_ranges_;
  std::vector<ColumnWidth> column_widths_;
  std::unique_ptr<Look> look_;
};

}  // namespace sheetlib
