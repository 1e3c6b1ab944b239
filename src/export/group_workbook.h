// Writing one group workbook: one sheet named after the group value, the
// heading row, the rows of a list view, every cell a bordered string.
#pragma once

#include <optional>
#include <vector>

#include "app/controls/controls.h"

namespace colsplit {

constexpr int kDefaultExportColumnWidth = 19;

// Writes the header texts into row 0 and list item k into row k + 1 (as
// many columns as there are header texts), drives the progress bar from 0
// to the item count, saves to `path` (the library saves on the worker) and
// releases the workbook. True when the save succeeded. When the library
// refuses `sheet_name`, the sheet gets fallback_sheet_name(sheet_name); a
// sheet that cannot be created at all is never written into and the call
// returns false. When the library refuses a cell, the workbook is not saved
// and the call returns false.
bool write_group_workbook(ListView& rows, ProgressBar& progress, Worker& worker, const std::vector<Text>& headers,
                          const Text& sheet_name, std::optional<int> column_width, const Text& path);

}  // namespace colsplit
