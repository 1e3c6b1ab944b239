// What the window knows beyond its controls while it is open: the user's
// choices for the split, and what the list's texts do not tell of the sheet
// they show (its workbook's other sheets, the rows above the heading row,
// merged ranges, column widths, and the values behind the shown texts).
// Nothing of it is stored: every start of the program begins without it, as
// the window does.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <ranges>
#include <vector>

#include "text/text.h"

namespace colsplit {

namespace xl {
struct KeptSheet;  // xl/kept_sheet.h: the window holds it, the export reads it
}

// Choices of the preview list's context menu (and colsplit-cli's options);
// both off, every workbook is written as one workbook per value of text
// cells.
struct SplitChoices {
  // Numbers, dates and booleans written typed, with their number formats,
  // and the source's look: every cell's style, rows, columns, view, filter,
  // validations, conditional formats, links and print setup.
  bool keep_format = false;
  bool into_sheets = false;  // one workbook with a sheet per value
  // Further split columns (list columns) besides the one chosen in the
  // heading box, at most kMostAlsoBy: one output per combination of values.
  std::vector<int> also_by;
  // Above 0: the data rows in runs of this many, in order; no split column.
  int rows_per_output = 0;
  bool csv = false;  // one .csv file per output instead of an .xlsx

  static constexpr std::size_t kMostAlsoBy = 3;

  // Whether the sheet is read with its look and typed values. A CSV file
  // carries no format: its cells are read as they show, a text through its
  // format's section for texts too (a load that keeps the look leaves texts
  // as they are, for the format written with them to show).
  bool reads_look() const { return keep_format && !csv; }
};

// A merged range of the sheet; rows and columns zero-based and inclusive.
struct MergedCells {
  int first_row = 0;
  int last_row = 0;
  int first_column = 0;
  int last_column = 0;
  bool operator==(const MergedCells&) const = default;
};

// A number format of the source workbook: its id, and the code the
// workbook gives for it (GBK), empty for a built-in format whose look the
// reading application's locale decides.
struct SourceNumberFormat {
  int id = 0;
  Text code;
  bool operator==(const SourceNumberFormat&) const = default;
};

enum class ValueKind : std::uint8_t { number, boolean, error };

// A cell of the source sheet that holds a number (dates and times too), a
// boolean or an error, with the index of its number format.
struct TypedCell {
  double number = 0;
  std::uint32_t row = 0;  // sheet row
  std::uint16_t column = 0;
  std::uint8_t format = 0;  // index into TypedCells::formats()
  ValueKind kind = ValueKind::number;
};

// The typed cells of a sheet in row order, column order within a row, and
// the number formats they use. A sheet may have millions: they lie in
// blocks that never move, so that the collection grows without holding
// twice its size at once.
class TypedCells {
 public:
  // Most workbooks use a few dozen formats; cells of a format past this many
  // are kept as the texts they show.
  static constexpr std::size_t kMostFormats = 255;

  void clear() {
    cells_.clear();
    formats_.clear();
    row_starts_.clear();
  }
  // Adds a cell after those of earlier rows and columns; false when its
  // format is past kMostFormats.
  bool add(const TypedCell& cell) {
    if (cell.format >= formats_.size()) return false;
    // Rows up to this one, those without typed cells included, start here.
    while (row_starts_.size() <= cell.row) row_starts_.push_back(static_cast<std::uint32_t>(cells_.size()));
    cells_.push_back(cell);
    return true;
  }
  // The index of the format, added when new; kMostFormats when full.
  std::size_t format_index(const SourceNumberFormat& format) {
    const auto found = std::find(formats_.begin(), formats_.end(), format);
    if (found != formats_.end()) return static_cast<std::size_t>(found - formats_.begin());
    if (formats_.size() >= kMostFormats) return kMostFormats;
    formats_.push_back(format);
    return formats_.size() - 1;
  }
  // The typed cells of one sheet row, in column order.
  std::ranges::subrange<std::deque<TypedCell>::const_iterator> row(int sheet_row) const {
    const auto wanted = static_cast<std::size_t>(sheet_row);
    if (sheet_row < 0 || wanted >= row_starts_.size()) return {cells_.end(), cells_.end()};
    const std::size_t last = wanted + 1 < row_starts_.size() ? row_starts_[wanted + 1] : cells_.size();
    return {cells_.begin() + row_starts_[wanted], cells_.begin() + static_cast<std::ptrdiff_t>(last)};
  }
  const std::vector<SourceNumberFormat>& formats() const { return formats_; }
  std::size_t size() const { return cells_.size(); }

 private:
  std::deque<TypedCell> cells_;
  std::vector<SourceNumberFormat> formats_;
  std::vector<std::uint32_t> row_starts_;  // where each row's cells begin
};

// The sheet the preview list shows, as far as the list does not hold it.
struct SourceSheet {
  Text file_name;               // the workbook the list shows; empty before the first load
  int sheet_index = 0;          // among its worksheets, from 0
  std::vector<Text> sheet_names;  // all its worksheets, in tab order; empty until read
  // Set once the sheet was read with its details: merged ranges, column
  // widths and, when `typed`, the values of its typed cells.
  bool detailed = false;
  bool typed = false;
  int heading_row = 0;  // the sheet row whose texts are the list's column titles
  // Sheet rows 0 … heading_row - 1, as they show: written above the heading
  // row of every sheet the export writes.
  std::vector<std::vector<Text>> title_rows;
  std::vector<MergedCells> merged;
  std::vector<double> column_widths;  // per column, in characters; negative: the sheet sets none
  TypedCells typed_cells;
  // The loaded workbook, kept with its look once the sheet was read with it
  // (with `typed`, while keep_format is chosen); null otherwise.
  std::shared_ptr<const xl::KeptSheet> look;

  // The sheet row of a row of the list.
  int sheet_row(int list_row) const { return heading_row + 1 + list_row; }
  // Forgets everything but the file's name and sheet names.
  void forget_sheet() {
    detailed = false;
    typed = false;
    heading_row = 0;
    title_rows.clear();
    merged.clear();
    column_widths.clear();
    typed_cells.clear();
    look.reset();
  }
};

// The choices and the sheet together: what a window keeps while it is open.
struct SplitSession {
  SplitChoices choices;
  SourceSheet source;
};

}  // namespace colsplit
