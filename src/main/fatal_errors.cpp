#include "main/fatal_errors.h"

#include "app/runtime_error/runtime_error_report.h"
#include "memory/memory_request.h"
#include "text/texts.h"
#include "xl/binding.h"

namespace colsplit {

namespace {

[[noreturn]] void report_binding_failure(const xl::BindingFailure& failure) {
  if (failure.kind == xl::BindingFailure::Kind::cannot_bind) {
    raise_runtime_error(kErrorNone, cannot_bind_message(failure.library_file, failure.function_name), 0, 0);
  }
  raise_runtime_error(kErrorStackUnbalanced, texts::kStackUnbalanced, failure.routine, failure.place);
}

}  // namespace

void report_failed_memory_request(std::size_t bytes) {
  raise_runtime_error(kErrorNone, out_of_memory_message(bytes), 0, 0);
}

void wire_fatal_errors() {
  xl::set_binding_failure_reporter(report_binding_failure);
  // The report ends the process with the library still loaded: a worker
  // may be inside it, and ExitProcess (std::_Exit elsewhere) ends the other
  // threads before any module is let go.
  set_memory_failure_handler(report_failed_memory_request);
}

}  // namespace colsplit
