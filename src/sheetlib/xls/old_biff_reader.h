// Workbooks of Excel 2.x, 3 and 4 (BIFF2, BIFF3, BIFF4). These versions
// wrote no compound file: the file is the record stream itself. A worksheet
// file is one BOF ... EOF substream holding its formats (FORMAT, XF) and
// then its cells; an Excel 4 workbook (BIFF4W) is a globals substream (BOF
// of type 0x0100) with, inside it, each sheet as a substream of its own,
// with its own formats, after a SHEETHDR record naming it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/core/cell_grid.h"
#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"

namespace sheetlib::xls {

// True when the bytes begin with the BOF record of one of those versions.
bool is_old_biff_stream(std::string_view bytes);

// As read_xls_worksheet, for such a stream. A worksheet file has one sheet,
// named Sheet1 (the file's name is not known here); an Excel 4 workbook's
// sheets are named by their SHEETHDR records. not_a_workbook when there is
// no worksheet (a chart or a macro sheet alone). A load that asks for the
// look gets the cells alone, with the default look.
ReadStatus read_old_biff_worksheet(std::string_view stream, int index, CellGrid& grid,
                                   std::vector<std::string>& sheet_names, const ReadLimits& limits);

}  // namespace sheetlib::xls
