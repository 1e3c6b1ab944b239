// Binding by name at a row's first call. A row stays bound, with its module
// reference, until release_bound_libraries() gives the references back.
//
// The binding knows no shell: what it cannot continue from (a row that cannot
// be bound, a call that leaves the stack unbalanced) goes to the reporter
// that the program installs, which ends the process through the runtime
// error report.
#pragma once

#include <source_location>

#include "text/text.h"
#include "xl/library_calls.h"

namespace colsplit::xl {

// A failure the program cannot continue from.
struct BindingFailure {
  enum class Kind { cannot_bind, unbalanced_stack };
  Kind kind;
  Text library_file;   // cannot_bind: the row's library file, as the table names it
  Text function_name;  // cannot_bind: the row's function
  int routine = 0;     // unbalanced_stack: the row's number in the table, counted from 1
  int place = 0;       // unbalanced_stack: the caller's source line
};

// Must not return. Without one installed, a failure is written to standard
// error and the process aborts.
using BindingFailureReporter = void (*)(const BindingFailure& failure);
void set_binding_failure_reporter(BindingFailureReporter reporter);

// The function address of the row, binding the row first when it is
// unbound. A row that cannot be bound goes to the reporter (cannot_bind).
void* bound_address(Row row);

// Hands the reporter an unbalanced stack after a call of the row made at
// `where`.
[[noreturn]] void report_unbalanced_stack(Row row, const std::source_location& where);

// The run directory followed by the platform's file name of the spreadsheet
// library ("X:\libxl.dll" for a program at a drive root).
Text library_file_path();

}  // namespace colsplit::xl
