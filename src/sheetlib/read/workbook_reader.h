// Reading one worksheet of a workbook (.xlsx, or .xls in a compound file)
// into a grid of the texts its cells show and the values they hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sheetlib {

// Limits against hostile files; a file over any of them fails to load.
struct ReadLimits {
  // All parts read, uncompressed; of an .xls, its workbook stream.
  std::uint64_t max_total_inflated_bytes = std::uint64_t{4} << 30;
  std::uint64_t max_inflation_ratio = 1000;   // uncompressed / compressed, per part (for parts > 1 MiB)
  int max_element_depth = 256;
  // A 20,000 x 1,000 sheet of distinct texts has 20 million, with its
  // headings; every string costs at least 8 bytes however short.
  std::size_t max_shared_strings = 32'000'000;
  // The work a file may cause grows with its size, so that a few megabytes
  // of repeated markup (which deflate shrinks a thousandfold) cannot hold the
  // reader for minutes. Over all parts read, the inflated bytes and the
  // markup items (start tags, attributes, pieces of text) may each reach the
  // larger of a floor and a multiple of the file's size. The most
  // compressible workbooks that spreadsheet programs write (a million empty
  // formatted rows, columns of one value) use 25 bytes and 2.3 items per
  // byte of file; a 44 MB sheet of a million rows 4.6 and 0.6.
  std::uint64_t min_inflated_bytes = std::uint64_t{256} << 20;
  std::uint64_t inflated_bytes_per_file_byte = 100;
  std::uint64_t min_markup_items = std::uint64_t{16} << 20;
  std::uint64_t markup_items_per_file_byte = 4;
};

// What reading one file cost: the bytes inflated and the markup items parsed
// over all the parts read (up to where the read stopped).
struct ReadCost {
  std::uint64_t inflated_bytes = 0;
  std::uint64_t markup_items = 0;
  std::uint64_t sheet_pieces = 0;  // 0 when the sheet was read whole
};

enum class ReadStatus {
  ok,
  not_a_zip,        // neither a zip archive nor a compound file (text, random bytes)
  not_a_workbook,   // a zip or compound file, but no workbook with a worksheet in it
  malformed,        // a part that is not well-formed XML (or has a DOCTYPE), a broken
                    // zip entry or compound file, a record running past its stream, a
                    // cell reference outside A1:XFD1048576, a cell pointing at a shared
                    // string the workbook does not have, a sheet before the first
                    // worksheet whose relationship is missing
  over_limit,       // over one of the ReadLimits
  out_of_memory,
  encrypted,        // a workbook that needs a password (.xls or .xlsx)
  unsupported_version,  // an .xls older than Excel 5.0 (BIFF4 and before)
  no_such_sheet,    // the workbook has fewer worksheets than the index asked for
};

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

  struct Storage;  // the reader's own layout
  Storage& storage();
  const Storage& storage() const;

 private:
  std::unique_ptr<Storage> storage_;
  std::vector<StyleNumberFormat> style_formats_;
  std::vector<MergedRange> merged_ranges_;
  std::vector<ColumnWidth> column_widths_;
};

// Reads worksheet `index` (counted from 0 in tab order among the
// worksheets; chart, macro and dialog sheets are passed over) of the
// workbook held in `file_bytes`, an .xlsx package or an .xls compound file,
// whatever its name says, into `grid`, and the names of all its worksheets
// (UTF-8, tab order) into `sheet_names` when given. no_such_sheet when the
// workbook has no worksheet of that index. On any status but ok the grid and
// the names keep what they held. Never throws: running out of memory is a
// status. `cost`, when given, receives what the read cost, whatever its
// status.
ReadStatus read_worksheet(std::string_view file_bytes, int index, CellGrid& grid,
                          std::vector<std::string>* sheet_names, const ReadLimits& limits = {},
                          ReadCost* cost = nullptr);

// The first worksheet alone.
inline ReadStatus read_first_worksheet(std::string_view file_bytes, CellGrid& grid, const ReadLimits& limits = {},
                                       ReadCost* cost = nullptr) {
  return read_worksheet(file_bytes, 0, grid, nullptr, limits, cost);
}

}  // namespace sheetlib
