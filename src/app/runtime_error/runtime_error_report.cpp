#include "app/runtime_error/runtime_error_report.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "text/formatted_text.h"
#include "text/texts.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace colsplit {

namespace {

void write_to_standard_error(const Text& report) {
  std::fwrite(report.data(), 1, report.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

std::atomic<RuntimeErrorSink> g_sink{write_to_standard_error};
std::atomic<bool> g_reported{false};

struct Carrier {
  ReportCarrier carry = nullptr;
  void* context = nullptr;
};
thread_local Carrier t_carrier;
// Set while this thread builds a report: a report raised meanwhile (the
// memory for the report itself could not be had) would only recurse.
thread_local bool t_formatting = false;

[[noreturn]] void end_process() {
#ifdef _WIN32
  ExitProcess(static_cast<UINT>(-1));
#else
  std::_Exit(255);
#endif
}

}  // namespace

Text format_runtime_error(int code, const Text& message, int routine, int place) {
  Text report = texts::kErrorFirstLine;
  if (code != 0) {
    report += texts::kErrorCodeLine;
    report += std::to_string(code);
    report += "\r\n";
  }
  if (!message.empty()) {
    report += texts::kErrorMessageLine;
    report += message;
    report += "\r\n";
  }
  report += format_text(texts::kErrorLocationFormat, routine, place);
  report += "\r\n";
  return report;
}

void set_runtime_error_sink(RuntimeErrorSink sink) { g_sink.store(sink ? sink : write_to_standard_error); }

void set_report_carrier_of_this_thread(ReportCarrier carrier, void* context) { t_carrier = Carrier{carrier, context}; }

void raise_runtime_error(int code, const Text& message, int routine, int place) {
  if (t_formatting) end_process();
  t_formatting = true;
  raise_formatted_report(format_runtime_error(code, message, routine, place));
}

void raise_formatted_report(const Text& report) {
  if (t_carrier.carry) {
    t_carrier.carry(t_carrier.context, report);
    std::abort();  // a carrier that returns breaks its contract
  }
  if (g_reported.exchange(true)) end_process();
  g_sink.load()(report);
  end_process();
}

Text cannot_bind_message(const Text& library_file, const Text& function_name) {
  return format_text(texts::kCannotBindFormat, library_file.c_str(), function_name.c_str());
}

Text out_of_memory_message(unsigned long long bytes) {
  // The message's placeholder is %d; the count is printed in full.
  Text format = texts::kOutOfMemoryFormat;
  const std::size_t at = format.find("%d");
  if (at != Text::npos) format.replace(at, 2, std::to_string(bytes));
  return format;
}

}  // namespace colsplit
