// The small modal dialog of 按行数拆分: asks how many data rows each output
// file gets.
#pragma once

#include <windows.h>

#include <optional>

namespace colsplit::win32 {

// Shows the dialog over `owner` with `prefilled` in its number box until the
// user confirms a number of 1 … kMostRowsPerOutput (anything else is
// explained and the dialog stays) or cancels; the number, or nothing.
std::optional<int> ask_rows_per_output(HWND owner, int prefilled);

}  // namespace colsplit::win32
