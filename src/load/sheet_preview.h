// Loading the first sheet of a workbook into a list view.
#pragma once

#include "app/controls/controls.h"

namespace colsplit {

// 1 when the workbook was loaded and the list rebuilt, 0 when it could not be
// loaded (the list view and the progress bar are then untouched).
int load_sheet_preview(ListView& list, ProgressBar& progress, const Text& file_name);

}  // namespace colsplit
