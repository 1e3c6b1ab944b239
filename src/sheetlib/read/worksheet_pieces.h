// Reading a large worksheet on two threads: its XML is cut, as it is
// inflated, into pieces that begin with a <row> (PieceCutter); expat reads
// the head and the tail of the sheet, a cell scanner on each thread the
// pieces (PieceHelper those it is free for), and the cells are joined in
// the sheet's order (PieceJoiner). Every cut is checked by the scanner that
// reads on from it (a row start tag exactly there, at the level of rows,
// with its number). A piece with no row to cut at for long (one very long
// row) is read by expat as its bytes come, standing between rows where it
// begins and ends.
#pragma once

#include <cstdint>

#include "sheetlib/read/whole_worksheet.h"
#include "sheetlib/read/zip_archive.h"

namespace sheetlib {

// Reads the worksheet from `stream`. Sets `read_whole` when the sheet could
// not be read in pieces (rows without numbers, another encoding than UTF-8,
// markup a scanner declines, damage, no second thread): then the budget is
// as it was, and the caller reads the sheet whole (read_whole_worksheet,
// which drops the cells and layout stored here, and reports what is wrong
// with the sheet, if anything is). A limit that expat meets (the markup budget,
// the depth, the arena) ends the reading at once with over_limit: reading
// the whole would meet it too. `pieces` is how many pieces it was read in.
ReadStatus read_worksheet_in_pieces(PartStream& stream, const SheetReading& sheet, bool& read_whole,
                                    std::uint64_t& pieces);

}  // namespace sheetlib
