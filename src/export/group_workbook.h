// Writing one group workbook: one sheet named after the group value, the
// heading row, the rows of a list view, every cell a bordered string.
#pragma once

#include <optional>
#include <vector>

#include "app/controls/controls.h"
#include "xl/library_calls.h"

namespace colsplit {

constexpr int kDefaultExportColumnWidth = 19;

// One group's workbook, made and filled on the handler's thread, then saved
// on the worker; the save may run while the next group's workbook is
// filled. Writes the header texts into row 0 and list item k into row k + 1
// (as many columns as there are header texts) and drives the progress bar
// from 0 to the item count. When the library refuses `sheet_name`, the
// sheet gets fallback_sheet_name(sheet_name); a sheet that cannot be
// created at all is never written into. The workbook is released with the
// object.
class GroupWorkbook {
 public:
  // From this many cells on, the save runs beside the caller's next work.
  static constexpr long long kCellsSavedBeside = 4096;

  GroupWorkbook(ListView& rows, ProgressBar& progress, const std::vector<Text>& headers, const Text& sheet_name,
                std::optional<int> column_width);
  ~GroupWorkbook();
  GroupWorkbook(const GroupWorkbook&) = delete;
  GroupWorkbook& operator=(const GroupWorkbook&) = delete;

  // True when the sheet and every cell went in. A workbook the library
  // refused a cell of is never saved: it would lack that cell without a word.
  bool complete() const { return complete_; }

  // Starts the save to `path` on the worker (worker.start); the caller may
  // go on meanwhile with anything but this workbook. A workbook of fewer
  // than kCellsSavedBeside cells is saved before this returns (worker.run).
  // Only a complete workbook is saved.
  void start_saving(Worker& worker, const Text& path);
  // True while a started save may still run beside the caller.
  bool saving_beside() const { return saving_on_ != nullptr; }
  // Waits for the save (worker.finish); true when it succeeded.
  bool finish_saving();

 private:
  xl::BookHandle book_;
  long long cells_ = 0;
  bool complete_ = false;
  bool saved_ = false;
  Worker* saving_on_ = nullptr;
  Text path_;
};

}  // namespace colsplit
