// The parts an export splits the list into, one output each: per value of
// the chosen column, per combination of values of several columns, or per
// run of rows; each with what names it.
#pragma once

#include <vector>

#include "app/controls/controls.h"

namespace colsplit {

struct SplitPart {
  // What colsplit-cli --list shows of it: the value; several columns'
  // values separated by tabs; "第1-500行" for a run.
  Text value;
  // What the file name holds of it: the value made safe (clean_name_piece),
  // several values each made safe and joined by "_".
  Text name_piece;
  // The name asked for its sheet: the value, several joined by "_". The
  // writer falls back to a name the library takes.
  Text sheet_name;
  std::vector<int> rows;  // list rows, top to bottom
};

// The list columns to split by: `chosen`, then those of `also_by` that are
// columns of the list, neither chosen nor repeated; at most
// 1 + SplitChoices::kMostAlsoBy. The window may hold a stale one for a
// moment after the list changed: it is left out.
std::vector<int> split_columns(int chosen, const std::vector<int>& also_by, int column_count);

// One part per distinct value (or combination of values) of the columns, in
// order of first appearance from the top. Values compare byte by byte, the
// empty text among them. One pass over the list, each row's values hashed
// as one key, so that thousands of parts stay quick.
std::vector<SplitPart> parts_by_columns(const ListView& list, const std::vector<int>& columns);

// The rows in runs of `rows_per_part` (above 0), in order; the last run may
// be shorter. Numbered from 1 among the data rows: "第1-500行".
std::vector<SplitPart> parts_by_runs(int row_count, int rows_per_part);

}  // namespace colsplit
