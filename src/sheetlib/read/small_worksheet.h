// Reading a worksheet too small to be cut into pieces: it is inflated into
// memory and its rows read by the cell scanner, expat reading what lies
// around them (see read_worksheet_scanning). A sheet whose markup the
// scanner declines is read by expat from the same bytes; one that inflates
// to more than it said it would (past kMostBytesInMemory) is handed to
// expat as it comes, so that a lie costs no more memory than a stream.
#pragma once

#include <cstddef>

#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"
#include "sheetlib/core/style_formats.h"
#include "sheetlib/read/worksheet_part.h"
#include "sheetlib/read/xml_stream.h"
#include "sheetlib/read/zip_archive.h"

namespace sheetlib {

// The most of a small sheet held in memory at once.
constexpr std::size_t kMostBytesInMemory = 8 * 1024 * 1024;

ReadStatus read_small_worksheet(PartStream& stream, const ReadLimits& limits, xml::MarkupBudget& budget,
                                const StyleFormats& formats, bool date1904, CellGrid::Storage& storage,
                                SheetLayout& layout);

}  // namespace sheetlib
