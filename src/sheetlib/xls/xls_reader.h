// Reading one worksheet of an .xls workbook, with the names of all: BIFF8
// (or BIFF5) records in the "Workbook" (or "Book") stream of a compound file,
// or the record stream of Excel 4.0 and before, which is the file itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/core/cell_grid.h"
#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"

namespace sheetlib::xls {

// True for a compound file and for the record stream of Excel 4.0 or before.
bool is_xls_file(std::string_view file_bytes);

// Reads worksheet `index` (among the worksheets, in tab order) of the
// .xls file held in `file_bytes` into `grid`, finished, and the names of
// all its worksheets (UTF-8) into `sheet_names`. no_such_sheet when there is
// no worksheet of that index; encrypted for a password-protected workbook (.xls, or an .xlsx package
// inside a compound file) unless Excel's default password opens it (it then
// reads as any other), unsupported_version for a workbook stream of a
// version no Excel wrote, not_a_workbook for a compound file without a
// workbook (a Word document) and for a file of a chart or macro sheet alone.
ReadStatus read_xls_worksheet(std::string_view file_bytes, int index, CellGrid& grid,
                              std::vector<std::string>& sheet_names, const ReadLimits& limits);

}  // namespace sheetlib::xls
