// Reading the first worksheet of an .xls workbook: BIFF8 records in the
// "Workbook" stream of a compound file.
#pragma once

#include <string_view>

#include "sheetlib/read/cell_grid.h"

namespace sheetlib::xls {

// Reads the compound file held in `file_bytes` into `storage`, finished.
// encrypted for a password-protected workbook (.xls, or an .xlsx package
// inside a compound file), unsupported_version for a workbook of Excel 95
// or before, not_a_workbook for a compound file without a workbook (a Word
// document).
ReadStatus read_xls_first_worksheet(std::string_view file_bytes, CellGrid::Storage& storage,
                                    const ReadLimits& limits);

}  // namespace sheetlib::xls
