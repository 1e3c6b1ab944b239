// colsplit-cli WORKBOOK HEADING [OUTPUT-FOLDER]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/memory/memory_controls.h"
#include "app/runtime_error/runtime_error_report.h"
#include "cli/cli_run.h"
#include "cli/console.h"
#include "cli/huge_pages.h"
#include "main/fatal_errors.h"
#include "memory/memory_request.h"

namespace {

// The window program's report of a failed memory request, as one line of
// output, and the exit status of a run that could not be completed. The
// process ends at once, its libraries left loaded and no destructor run:
// threads of the library may still be at work, and unloading its code or
// freeing what they use under them would end the run in a signal instead.
[[noreturn]] void end_without_memory(std::size_t bytes) {
  static std::atomic<bool> ending{false};
  thread_local bool ending_here = false;
  if (ending.exchange(true)) {
    // Printing the line needs a little memory too; when even that fails,
    // the program ends without it. Another thread waits for the one that
    // got here first, which ends the process once the line is out.
    if (ending_here) std::_Exit(colsplit::cli::kExitFailed);
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  }
  ending_here = true;
  colsplit::cli::ConsoleOutput().message(colsplit::out_of_memory_message(bytes));
  std::fflush(stdout);
  std::fflush(stderr);
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
