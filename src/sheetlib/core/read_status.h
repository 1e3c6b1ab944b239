// How reading a workbook ended, and what it cost.
#pragma once

#include <cstdint>

namespace sheetlib {

enum class ReadStatus {
  ok,
  not_a_zip,        // neither a zip archive nor a compound file (text, random bytes)
  not_a_workbook,   // a zip or compound file, but no workbook with a worksheet in it
  malformed,        // a part that is not well-formed XML (or has a DOCTYPE), a broken
                    // zip entry or compound file, a record running past its stream, a
                    // cell reference outside A1:XFD1048576, a cell pointing at a shared
                    // string the workbook does not have, a sheet before the first
                    // worksheet whose relationship is missing
  over_limit,       // over one of the ReadLimits
  out_of_memory,
  encrypted,        // a workbook that needs a password (.xls or .xlsx)
  unsupported_version,  // an .xls workbook stream of a version no Excel wrote
  no_such_sheet,    // the workbook has fewer worksheets than the index asked for
};

// What reading one file cost: the bytes inflated and the markup items parsed
// over all the parts read (up to where the read stopped).
struct ReadCost {
  std::uint64_t inflated_bytes = 0;
  std::uint64_t markup_items = 0;
  std::uint64_t sheet_pieces = 0;  // 0 when the sheet was read whole
};

}  // namespace sheetlib
