// Writing a file the export makes itself (a CSV file) the way the library
// saves a workbook: whole under its name, or not at all.
#pragma once

#include <string_view>

#include "text/text.h"

namespace colsplit {

// Writes `bytes` to a temporary file beside the GBK path and renames it into
// place once it is whole, so that a write cut short never leaves a partial
// file under the name; on failure nothing remains. Not flushed to the disk:
// the export flushes all of its files together at its end (make_durable).
bool write_whole_file(const Text& path, std::string_view bytes);

}  // namespace colsplit
