// The runtime error report: the one way the program reports an error it
// cannot continue from. The report is shown (a message box titled "错误" in
// the window program, standard error in colsplit-cli), then the process ends
// with exit code -1. A process shows one report at most: a second one, raised
// while the first is open, ends the process at once.
#pragma once

#include <exception>

#include "text/text.h"

namespace colsplit {

enum RuntimeErrorCode {
  kErrorNone = 0,           // no code line (binding failures, start-up, memory)
  kErrorIndexBeyondCount = 1,
  kErrorIndexBelowOne = 4,
  kErrorStackUnbalanced = 6,
};

// The report's text: "运行时出错!\r\n", the code line when code != 0, the
// message line when the message is not empty, then the location line.
Text format_runtime_error(int code, const Text& message, int routine, int place);

// How a report is shown. The default writes it to standard error.
using RuntimeErrorSink = void (*)(const Text& report);
void set_runtime_error_sink(RuntimeErrorSink sink);

// Shows the report and ends the process with exit code -1.
[[noreturn]] void raise_runtime_error(int code, const Text& message, int routine, int place);

// The same for a report already formatted: one carried back from a worker.
[[noreturn]] void raise_formatted_report(const Text& report);

// A worker thread computes for a thread that waits for it, and shows nothing
// itself: while a carrier is set for the worker, a report raised on it goes
// to the carrier instead, which must end the thread (it never returns); the
// waiting thread then raises the report it was handed. Null clears it.
using ReportCarrier = void (*)(void* context, const Text& report);
void set_report_carrier_of_this_thread(ReportCarrier carrier, void* context);

// Runs `work`; an exception that escapes it ends in the report (its text as
// the message) instead of unwinding into the system's code that called a
// window procedure, the drop target or a thread. The program throws none on
// purpose: a failed memory request ends in the report without one.
template <typename Work>
void report_escaping_exceptions(Work&& work) noexcept {
  try {
    work();
  } catch (const std::exception& escaped) {
    raise_runtime_error(kErrorNone, escaped.what(), 0, 0);
  } catch (...) {
    raise_runtime_error(kErrorNone, Text(), 0, 0);
  }
}

// The texts of the reports that have a fixed message.
Text cannot_bind_message(const Text& library_file, const Text& function_name);
Text out_of_memory_message(unsigned long long bytes);

}  // namespace colsplit
