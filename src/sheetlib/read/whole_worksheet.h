// Reading a worksheet part whole, the step every route through a worksheet
// ends in: the part is held in memory and its rows read by the cell
// scanner, expat reading what lies around them (see
// read_worksheet_scanning); a part whose markup the scanner declines is
// read by expat from the same bytes. A part read as it comes (a large one
// that could not be read in pieces), and one that inflates to more than
// 8 MiB, go to expat as their bytes come, so that a lie costs no more
// memory than a stream.
#pragma once

#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"
#include "sheetlib/core/style_formats.h"
#include "sheetlib/read/worksheet_part.h"
#include "sheetlib/read/xml_stream.h"
#include "sheetlib/read/zip_archive.h"

namespace sheetlib {

// What a worksheet is read with, and into.
struct SheetReading {
  const ReadLimits& limits;
  xml::MarkupBudget& budget;
  const StyleFormats& formats;
  bool date1904;
  CellGrid::Storage& storage;
  SheetLayout& layout;
  WorksheetLook* look = nullptr;  // when the load keeps the look
};

enum class WholeSheet { in_memory, as_it_comes };

// Reads the sheet from the start of `stream`; cells, layout and look stored
// before (by a reading that gave up) go first.
ReadStatus read_whole_worksheet(PartStream& stream, const SheetReading& sheet, WholeSheet how);

}  // namespace sheetlib
