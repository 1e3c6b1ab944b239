// Reading one worksheet of an .xls workbook, with the names of all: BIFF8
// (or BIFF5) records in the "Workbook" (or "Book") stream of a compound file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/core/cell_grid.h"
#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"

namespace sheetlib::xls {

// Reads worksheet `index` (among the worksheets, in tab order) of the
// compound file held in `file_bytes` into `grid`, finished, and the names of
// all its worksheets (UTF-8) into `sheet_names`. no_such_sheet when there is
// no worksheet of that index; encrypted for a password-protected workbook (.xls, or an .xlsx package
// inside a compound file) unless Excel's default password opens it (an
// .xls then reads as any other), unsupported_version for a workbook of Excel 4.0
// or before, not_a_workbook for a compound file without a workbook (a Word
// document).
ReadStatus read_xls_worksheet(std::string_view file_bytes, int index, CellGrid& grid,
                              std::vector<std::string>& sheet_names, const ReadLimits& limits);

}  // namespace sheetlib::xls
