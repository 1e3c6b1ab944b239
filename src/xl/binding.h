// Binding by name at a row's first call. A row stays bound, with its module
// reference, until release_bound_libraries() gives the references back.
#pragma once

#include <source_location>

#include "text/text.h"
#include "xl/library_calls.h"

namespace colsplit::xl {

// The function address of the row, binding the row first when it is
// unbound. A row that cannot be bound ends the program through the runtime
// error report, naming the row's library file and function.
void* bound_address(Row row);

// Ends the program through the runtime error report with code 6. The
// location line gives the row's number in the table (counted from 1) as the
// routine and the caller's source line as the place.
[[noreturn]] void report_unbalanced_stack(Row row, const std::source_location& where);

// The directory part of a path: everything before the last separator,
// walking GBK characters so that a trail byte is never taken for one. A path
// without a separator has no directory part.
Text directory_of(const Text& path, char separator);

// The run directory followed by the platform's file name of the spreadsheet
// library ("X:\libxl.dll" for a program at a drive root).
Text library_file_path();

}  // namespace colsplit::xl
