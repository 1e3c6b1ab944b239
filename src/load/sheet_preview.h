// Loading a sheet of a workbook (the first, unless the user chose another)
// into a list view, and with the choices what the sheet holds beyond its
// texts.
#pragma once

#include "app/controls/controls.h"

namespace colsplit {

// The most cells (rows times columns of the sheet's extents, the heading row
// included) a preview takes. The list views keep 8 bytes for every cell
// besides the texts, empty or not, so a sheet whose extents run far beyond
// its data (one stray value in XFD1048576 makes 17 billion cells) would
// exhaust a 32-bit program's memory and take hours to fill.
constexpr long long kMostPreviewCells = 50'000'000;

struct SheetExtents {
  int rows = 0;
  int columns = 0;
  // Not a matter of extents: the library's reason for refusing the file
  // (xlBookErrorMessageA), which the failure report puts in the user's words.
  Text refused_because;
};

// What a load reads beyond the texts, for the choices of the split: which
// worksheet, and into `source` the names of all worksheets, the sheet's
// merged ranges and column widths and, when `typed`, the values of its
// numbers, dates and booleans, and the loaded workbook with its look.
struct PreviewDetails {
  int sheet_index = 0;
  bool typed = false;
  SourceSheet* source = nullptr;
};

// 1 when the workbook was loaded and the list rebuilt, 0 when it could not be
// loaded (the list view and the progress bar are then untouched). A sheet
// over kMostPreviewCells is not loaded either; its extents then go to
// `too_large` when given. The library reads the file on the worker. Without
// `details` the first worksheet's texts are all that is read.
int load_sheet_preview(ListView& list, ProgressBar& progress, Worker& worker, const Text& file_name,
                       SheetExtents* too_large = nullptr, const PreviewDetails* details = nullptr);

}  // namespace colsplit
