#include "app/runtime_error/runtime_error_report.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/texts.h"

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

RuntimeErrorSink g_sink = write_to_standard_error;
BeforeExitHook g_before_exit = nullptr;

// printf-style formatting of a GBK format text; the format texts are the
// program's own, so their placeholders are known.
template <typename... Args>
Text format_text(const char* format, Args... args) {
  char buffer[2048];
  const int length = std::snprintf(buffer, sizeof buffer, format, args...);
  if (length < 0) return Text();
  if (static_cast<std::size_t>(length) < sizeof buffer) return Text(buffer, static_cast<std::size_t>(length));
  Text text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, args...);
  text.resize(static_cast<std::size_t>(length));
  return text;
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

void set_runtime_error_sink(RuntimeErrorSink sink) { g_sink = sink ? sink : write_to_standard_error; }

void set_before_exit_hook(BeforeExitHook hook) { g_before_exit = hook; }

void raise_runtime_error(int code, const Text& message, int routine, int place) {
  g_sink(format_runtime_error(code, message, routine, place));
  if (g_before_exit) g_before_exit();
#ifdef _WIN32
  ExitProcess(static_cast<UINT>(-1));
#else
  std::_Exit(255);
#endif
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
