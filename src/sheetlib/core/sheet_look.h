// How a workbook and one of its sheets look, beyond their cells' values:
// the cell styles with their fonts, fills and borders, the theme they refer
// to, and the sheet's rows, columns, view, filter, validations,
// conditional formats, links and print setup. Read only when a load asks
// for it (CellGrid::want_look), kept by the loaded book, and copied into
// written workbooks item by item.
//
// Fonts, fills, borders and the other items keep their SpreadsheetML markup
// as canonical fragments: the element with its children, in the main
// namespace without a prefix, every attribute unprefixed, texts escaped,
// extension lists and foreign elements left out. Both readers make them
// (the .xls one from its records) and the writer writes them as they are,
// so each attribute that an application shows travels without this code
// having to know it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sheetlib/core/cell_grid.h"

namespace sheetlib {

// One cell style (an entry of cellXfs). Its number format is the grid's
// style_formats() entry of the same index.
struct CellLook {
  std::uint32_t font = 0;    // index into BookLook::fonts
  std::uint32_t fill = 0;    // index into BookLook::fills
  std::uint32_t border = 0;  // index into BookLook::borders
  std::string alignment;     // "<alignment …/>", empty when the style sets none
  std::string protection;    // "<protection …/>", empty when the style sets none
  bool operator==(const CellLook&) const = default;
};

// What the styles part and the theme of a workbook hold.
struct BookLook {
  std::vector<std::string> fonts;    // "<font>…</font>"
  std::vector<std::string> fills;    // "<fill>…</fill>"
  std::vector<std::string> borders;  // "<border>…</border>"
  std::vector<CellLook> cells;       // by style index
  std::vector<std::string> dxfs;     // "<dxf>…</dxf>", what conditional formats refer to by dxfId
  std::string colors;                // "<colors>…</colors>" (a palette of its own), or empty
  std::string theme;                 // the whole theme part (xl/theme/theme1.xml), or empty
};

// A row that is not as the sheet's default: its height in points (0: the
// default) and whether it is hidden.
struct RowLook {
  std::uint32_t row = 0;
  double height = 0;
  bool hidden = false;
  bool operator==(const RowLook&) const = default;
};

// Hidden columns first … last (zero-based, inclusive).
struct HiddenColumns {
  std::uint32_t first = 0;
  std::uint32_t last = 0;
  bool operator==(const HiddenColumns&) const = default;
};

// A validation or a conditional format: the ranges it covers (its sqref)
// and its markup without them. A validation is "<dataValidation …>…
// </dataValidation>" (no sqref attribute); a conditional format is the
// "<cfRule …>…</cfRule>" elements of one <conditionalFormatting>, joined,
// whose dxfId attributes are indexes into BookLook::dxfs of the book they
// are in. Formulas stay as written: relative to the first cell of the
// first range.
struct RangedItem {
  std::vector<MergedRange> ranges;
  std::string markup;
};

// A hyperlink of a cell range: to an address outside the workbook, or to
// a place inside it.
struct CellLink {
  MergedRange range;
  std::string target;    // the address (UTF-8), empty for a link inside the workbook
  std::string location;  // "Sheet2!A1", empty when none
  std::string tooltip;
  std::string display;
};

// Rows first … last or columns first … last; empty when count is 0.
struct LineSpan {
  std::uint32_t first = 0;
  std::uint32_t last = 0;
  bool set = false;
  bool operator==(const LineSpan&) const = default;
};

struct SheetLook {
  std::vector<RowLook> rows;               // in row order, one per row
  std::vector<HiddenColumns> hidden_columns;
  double default_row_height = 0;           // points; 0 when the sheet gives none
  double default_column_width = 0;         // characters; 0 when the sheet gives none
  // The view: rows and columns frozen above and left of the panes (0: none),
  // zoom in percent, gridlines, right to left.
  std::uint32_t frozen_rows = 0;
  std::uint32_t frozen_columns = 0;
  int zoom = 100;
  bool gridlines = true;
  bool right_to_left = false;
  // The filter's range, when the sheet has one.
  MergedRange filter;
  bool has_filter = false;
  std::vector<RangedItem> validations;
  std::vector<RangedItem> conditional_formats;
  std::vector<CellLink> links;
  // Print setup, as fragments: "<printOptions …/>", "<pageMargins …/>",
  // "<pageSetup …/>" (without r:id), "<headerFooter …>…</headerFooter>";
  // each empty when the sheet has none.
  std::string print_options;
  std::string page_margins;
  std::string page_setup;
  std::string header_footer;
  // Whether the print is made to fit pageSetup's fitToWidth × fitToHeight
  // pages (1 × 1 when it names none).
  bool fit_to_page = false;
  // The rows and columns printed on every page, and the print area.
  LineSpan print_title_rows;
  LineSpan print_title_columns;
  std::vector<MergedRange> print_area;
};

// Every style a cell of the sheet has, including cells without a value: runs
// of neighbouring cells of one row with one style, in row and column order.
// Cells of style 0 have no run.
struct StyleRun {
  std::uint32_t row = 0;
  std::uint16_t first_column = 0;
  std::uint16_t last_column = 0;
  std::uint32_t style = 0;
  bool operator==(const StyleRun&) const = default;
};

// The styles of a sheet's cells. A dressed sheet repeats a few row patterns
// (a heading row, then alternating fills over the same column formats), so
// each distinct row of runs is kept once and every row names its pattern: a
// sheet of a million styled cells costs a few bytes a row.
class CellStyles {
 public:
  // Notes a cell's style; cells come in row and column order (a reader that
  // meets one out of order calls finish() before asking, as it always does).
  void add(std::uint32_t row, std::uint32_t column, std::uint32_t style);
  // Appends the runs of a later part of the sheet (a piece read apart).
  void append(const CellStyles& later);
  // Ends the reading: sorts cells that came out of order (a later cell wins
  // over an earlier one).
  void finish();
  // The style of a cell; 0 when it has none.
  std::uint32_t at(std::uint32_t row, std::uint32_t column) const;
  // Every run, in row and column order.
  std::vector<StyleRun> runs() const;
  bool empty() const { return patterns_.empty() && current_.empty() && loose_.empty(); }

 private:
  struct Span {
    std::uint16_t first;
    std::uint16_t last;
    std::uint32_t style;
    bool operator==(const Span&) const = default;
  };
  void add_run(std::uint32_t row, std::uint32_t first, std::uint32_t last, std::uint32_t style);
  void end_row();

  std::vector<std::uint32_t> row_patterns_;  // by row: 1 + its pattern, 0 for none
  std::vector<Span> spans_;                  // the patterns' runs, one after the other
  std::vector<std::uint32_t> patterns_;      // where each pattern's runs begin in spans_
  std::vector<std::pair<std::uint64_t, std::uint32_t>> pattern_hashes_;  // sorted: hash, pattern
  std::vector<Span> current_;                // the row being read
  std::uint32_t current_row_ = 0;
  bool in_row_ = false;
  std::vector<StyleRun> loose_;  // runs that came out of order, until finish()
};

// What a load that asked for it keeps of the look: the workbook's styles and
// the sheet's items, and every cell's style.
struct Look {
  BookLook book;
  SheetLook sheet;
  CellStyles cell_styles;
};

}  // namespace sheetlib
