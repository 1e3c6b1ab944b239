// Reading one worksheet of an .xlsx package into a grid of the texts its
// cells show and the values they hold.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/core/cell_grid.h"
#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"

namespace sheetlib {

// Reads worksheet `index` (counted from 0 in tab order among the
// worksheets; chart, macro and dialog sheets are passed over) of the package
// held in `file_bytes` into `grid`, finished, and the names of all its
// worksheets (UTF-8, tab order) into `sheet_names`. no_such_sheet when the
// workbook has no worksheet of that index. `cost` receives what the read
// cost, however it ends. May throw (std::bad_alloc among others): the caller
// turns that into a status.
ReadStatus read_xlsx_worksheet(std::string_view file_bytes, int index, CellGrid& grid,
                               std::vector<std::string>& sheet_names, const ReadLimits& limits, ReadCost& cost);

}  // namespace sheetlib
