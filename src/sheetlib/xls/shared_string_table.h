// The shared string table (SST) of the workbook globals: the texts that
// LABELSST cells refer to by index, each converted once into the grid's
// arena, as the .xlsx reader keeps its shared strings.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/grid_text.h"

namespace sheetlib::xls {

// Reads the strings of an SST record given with its CONTINUE records. The
// count the record declares is an upper bound, never a size to reserve:
// reading stops where the data ends. over_limit beyond `max_strings`,
// malformed when the data ends inside a string.
ReadStatus read_shared_string_table(const std::vector<std::string_view>& fragments, CellGrid::Storage& storage,
                                    std::size_t max_strings, SharedStringSpans& strings);

}  // namespace sheetlib::xls
