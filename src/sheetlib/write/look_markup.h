// The markup of a sheet's look (SheetLook) in the worksheet and workbook
// parts: the view, the default sizes, the rows, the filter, the
// conditional formats, validations, links and print setup, and the names
// the workbook gives to a sheet's filter and print ranges. An empty look
// writes exactly what a sheet without one always had.
#pragma once

#include <string>
#include <vector>

#include "sheetlib/core/sheet_look.h"
#include "sheetlib/write/parts.h"

namespace sheetlib {

// A range as "A1:B5" ("A1" for one cell); false, appending nothing, when it
// is reversed or reaches beyond the sheet.
bool append_range_reference(std::string& xml, const MergedRange& range);

// The ranges as one space-separated list ("A1:B5 D3"), leaving out the ones
// that cannot be written; false when none could.
bool append_sqref(std::string& xml, const std::vector<MergedRange>& ranges);

// <sheetViews>…</sheetViews>: the tab selection, gridlines, direction, zoom
// and frozen panes.
void append_sheet_views(std::string& xml, const SheetLook& look, bool selected);

// <sheetFormatPr …/>: the default row height and column width.
void append_sheet_format(std::string& xml, const SheetLook& look);

// The rows that have something to write (a height or hidden), in row order,
// one per row (of several entries for one row the first counts).
std::vector<RowLook> rows_to_write(const SheetLook& look);

// The attributes a row's look adds to its <row> start tag.
void append_row_attributes(std::string& xml, const RowLook& row);

// <autoFilter ref=…/>, which comes before the merged ranges.
void append_filter(std::string& xml, const SheetLook& look);

// What follows the merged ranges up to the ignored errors: conditional
// formats, validations, links, print options, page margins (the default
// ones when the look has none), page setup, header and footer.
void append_look_after_merges(std::string& xml, const SheetLook& look);

// Whether a link is written, and whether it takes a relationship (an
// address outside the workbook), numbered rId1, rId2, … in link order.
bool link_is_written(const CellLink& link);
bool link_has_relationship(const CellLink& link);

// <definedNames>…</definedNames> of the sheets' filters, print titles and
// print areas; nothing when no sheet has any.
void append_defined_names(std::string& xml, const std::vector<SheetToWrite>& sheets);

}  // namespace sheetlib
