// The check after an export run: nothing lost, nothing doubled, nothing
// mixed. It reads every workbook the run left in the export folder back
// through the spreadsheet library (fast enough for ten thousand of them)
// and holds them against the sheet the run split and its final message.
#pragma once

#include <string>
#include <vector>

#include "app/controls/controls.h"

namespace colsplit::testing {

// The sheet as the preview list holds it (GBK texts).
struct SheetTexts {
  std::vector<Text> headings;
  std::vector<std::vector<Text>> rows;  // every row as wide as the headings
};
SheetTexts sheet_of(const ListView& list);

struct ExportCheck {
  std::vector<std::string> problems;  // UTF-8, empty when the run is sound
  int written = 0;                    // workbooks read back
  int unsaved = 0;                    // the count the final message gives
};

// Proves that every row of `sheet` is in exactly one written workbook, the
// one of its value in `split_column` (its name made of that value), after
// the heading row, or else belongs to a group whose workbook the final
// message names as not saved (with more than 20, the count accounts for the
// rest); and that no workbook holds a row twice or a row of another value.
// Rows compare as the full tuples of their texts, as multisets. Workbooks
// that the message names are not read; any other file there is a problem.
ExportCheck check_export(const SheetTexts& sheet, int split_column, const Text& export_folder,
                         const Text& final_message);

}  // namespace colsplit::testing
