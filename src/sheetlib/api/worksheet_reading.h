// Reading one worksheet of a workbook, whatever its format: an .xlsx
// package or an .xls compound file, as the content says (not the name).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/core/cell_grid.h"
#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"

namespace sheetlib {

// Reads worksheet `index` (counted from 0 in tab order among the
// worksheets; chart, macro and dialog sheets are passed over) of the
// workbook held in `file_bytes`, an .xlsx package or an .xls compound file,
// whatever its name says, into `grid`, and the names of all its worksheets
// (UTF-8, tab order) into `sheet_names` when given. no_such_sheet when the
// workbook has no worksheet of that index. On any status but ok the grid and
// the names keep what they held. Never throws: running out of memory is a
// status. `cost`, when given, receives what the read cost, whatever its
// status. A grid that wants its look (CellGrid::want_look) gets it.
ReadStatus read_worksheet(std::string_view file_bytes, int index, CellGrid& grid,
                          std::vector<std::string>* sheet_names, const ReadLimits& limits = {},
                          ReadCost* cost = nullptr);

// The first worksheet alone.
inline ReadStatus read_first_worksheet(std::string_view file_bytes, CellGrid& grid, const ReadLimits& limits = {},
                                       ReadCost* cost = nullptr) {
  return read_worksheet(file_bytes, 0, grid, nullptr, limits, cost);
}

}  // namespace sheetlib
