// Reading a large worksheet on two threads: its XML is cut, as it is
// inflated, into pieces of about 256 KiB that begin with a <row>; expat
// reads the head and the tail of the sheet, a cell scanner (cell_scanner.h)
// on each thread the pieces (this thread those the other is not free for),
// and the cells are joined in the sheet's order. Every cut is checked by
// the scanner that reads on from it (a row start tag exactly there, at the
// level of rows, with its number). A sheet that cannot be cut so (rows
// without numbers, another encoding than UTF-8, damage), or read so
// because a scanner declined its markup or no second thread can be had, is
// left to the reader of the whole, expat. A piece that grows past twice
// the size without a row to cut at (one very long row) is read by expat as
// its bytes come, standing between rows where it begins and ends.
#pragma once

#include "sheetlib/core/cell_storage.h"
#include "sheetlib/read/styles_part.h"
#include "sheetlib/read/worksheet_part.h"
#include "sheetlib/read/xml_stream.h"
#include "sheetlib/read/zip_archive.h"

namespace sheetlib {

// Reads the worksheet from `stream` into `storage`, and what surrounds its
// rows (read with the head and the tail of the sheet) into `layout`. Sets
// `read_whole` when the sheet could not be read in pieces: then `storage`
// holds no cells, `layout` is empty, the budget is as it was, and the caller reads the sheet whole (which also
// reports what is wrong with it, if anything is). A limit that expat meets
// (the markup budget, the depth, the arena) ends the reading at once with
// over_limit: reading the whole would meet it too.
// `pieces` is how many pieces it was read in.
ReadStatus read_worksheet_in_pieces(PartStream& stream, const ReadLimits& limits, xml::MarkupBudget& budget,
                                    const StyleFormats& formats, bool date1904, CellGrid::Storage& storage,
                                    SheetLayout& layout, bool& read_whole, std::uint64_t& pieces);

}  // namespace sheetlib
