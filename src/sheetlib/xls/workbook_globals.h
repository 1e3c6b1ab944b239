// The workbook globals, the first substream of the workbook stream: where
// each sheet's substream begins (BOUNDSHEET), the shared strings, the
// number formats of the XF records, the date system (DATEMODE), and whether
// the workbook is encrypted (FILEPASS).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "sheetlib/read/cell_grid.h"
#include "sheetlib/read/shared_strings_part.h"
#include "sheetlib/read/styles_part.h"

namespace sheetlib::xls {

struct WorkbookGlobals {
  // The stream offsets of the BOF records of the worksheets (and dialog
  // sheets, which BOUNDSHEET does not tell apart), in tab order.
  std::vector<std::uint32_t> worksheet_offsets;
  std::size_t sheet_count = 0;  // BOUNDSHEET records of every kind
  std::size_t end = 0;          // where the substream after the globals begins
  bool date1904 = false;
  SharedStringSpans strings;
  StyleFormats formats;
};

// Reads the globals at the start of `stream`; shared strings go into the
// storage's arena. unsupported_version for a stream of BIFF5 and before,
// encrypted at a FILEPASS record.
ReadStatus read_workbook_globals(std::string_view stream, CellGrid::Storage& storage, const ReadLimits& limits,
                                 WorkbookGlobals& globals);

}  // namespace sheetlib::xls
