// Making an export's workbooks durable with one flush at the end of the run
// instead of one per workbook: the library writes each workbook to a
// temporary file and renames it into place, so a save cut short never
// leaves a partial workbook under its name, and the run then asks the
// system once to put everything on the disk before it says it is done.
#pragma once

#include <vector>

#include "text/text.h"

namespace colsplit {

// Flushes the written files (GBK paths, all in `folder`) and the folder's
// entries to the disk. Returns the files whose data could not be made
// durable (a disk that failed or filled up after the writes were taken),
// in the order given; empty when all are on the disk.
std::vector<Text> make_durable(const Text& folder, const std::vector<Text>& files);

}  // namespace colsplit
