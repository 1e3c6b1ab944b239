// colsplit-cli WORKBOOK HEADING [OUTPUT-FOLDER]
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "app/memory/memory_controls.h"
#include "app/runtime_error/runtime_error_report.h"
#include "cli/cli_run.h"
#include "cli/console.h"
#include "cli/huge_pages.h"
#include "main/fatal_errors.h"
#include "text/memory_request.h"
#include "xl/library_calls.h"

namespace {

// The window program's report of a failed memory request, as one line of
// output, and the exit status of a run that could not be completed.
[[noreturn]] void end_without_memory(std::size_t bytes) {
  // Printing the line needs a little memory too; when even that fails, the
  // program ends without it (as it does when another thread got here first).
  static std::atomic<bool> ending{false};
  if (!ending.exchange(true)) colsplit::cli::ConsoleOutput().message(colsplit::out_of_memory_message(bytes));
  colsplit::xl::release_bound_libraries();
  std::fflush(stdout);
  std::_Exit(colsplit::cli::kExitFailed);
}

template <typename Run>
int run_reporting_escapes(Run&& run) {
  colsplit::wire_fatal_errors();
  colsplit::set_memory_failure_handler(end_without_memory);
  int status = colsplit::cli::kExitFailed;
  colsplit::report_escaping_exceptions([&] { status = run(); });
  return status;
}

}  // namespace

#ifdef _WIN32
int wmain() {
  return run_reporting_escapes([] {
    colsplit::cli::ConsoleOutput output;
    colsplit::ThreadWorker worker;
    return colsplit::cli::run(colsplit::cli::command_line_arguments(), output, worker);
  });
}
#else
int main(int argc, char** argv) {
  colsplit::cli::restart_on_huge_pages(argv);
  return run_reporting_escapes([&] {
    colsplit::cli::ConsoleOutput output;
    colsplit::ThreadWorker worker;
    return colsplit::cli::run(colsplit::cli::command_line_arguments(argc, argv), output, worker);
  });
}
#endif
