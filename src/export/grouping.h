// The groups of an export: the distinct values of the split column.
#pragma once

#include <vector>

#include "app/controls/controls.h"

namespace colsplit {

struct Group {
  Text value;
  std::vector<int> rows;  // list rows holding the value, top to bottom
};

// The distinct texts of the column, in order of first appearance from the
// top, each with its rows. Values compare byte by byte: letter case, spaces
// and the empty text all count. One pass over the list, so that splitting
// many rows into thousands of values stays quick.
std::vector<Group> collect_groups(const ListView& list, int column);

}  // namespace colsplit
