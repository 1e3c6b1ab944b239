#include "cli/console.h"

#include <cstdio>
#include <string>

#include "text/encoding.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace colsplit::cli {

namespace {

constexpr int kBarWidth = 40;

#ifdef _WIN32

bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// A console gets the text as UTF-16 through WriteConsoleW, whatever its code
// page; a file or pipe gets UTF-8 bytes with the "\r\n" line ends.
void write_text(DWORD which, const Text& gbk) {
  const HANDLE handle = GetStdHandle(which);
  if (is_console(handle)) {
    const std::wstring wide = gbk_to_wide(gbk);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    const std::string utf8 = gbk_to_utf8(gbk);
    DWORD written = 0;
    WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }
}

void write_message(const Text& gbk) { write_text(STD_OUTPUT_HANDLE, gbk + "\r\n"); }
void write_bar(const std::string& ascii) { write_text(STD_ERROR_HANDLE, ascii); }
bool error_is_terminal() { return is_console(GetStdHandle(STD_ERROR_HANDLE)); }

#else

// The terminal is UTF-8 and ends lines in "\n".
void write_message(const Text& gbk) {
  std::string utf8 = gbk_to_utf8(gbk);
  std::string lines;
  lines.reserve(utf8.size() + 1);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    lines += utf8[i];
  }
  lines += '\n';
  std::fwrite(lines.data(), 1, lines.size(), stdout);
  std::fflush(stdout);
}

void write_bar(const std::string& ascii) {
  std::fwrite(ascii.data(), 1, ascii.size(), stderr);
  std::fflush(stderr);
}

bool error_is_terminal() { return isatty(STDERR_FILENO) != 0; }

#endif

}  // namespace

ConsoleOutput::ConsoleOutput() : bar_wanted_(error_is_terminal()) {}

void ConsoleOutput::message(const Text& text) {
  progress_done();
  write_message(text);
}

void ConsoleOutput::progress(int position, int maximum) {
  if (!bar_wanted_) return;
  const int percent = maximum > 0 ? static_cast<int>(100LL * position / maximum) : 100;
  if (percent == last_drawn_) return;
  last_drawn_ = percent;
  const int filled = percent * kBarWidth / 100;
  std::string bar = "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                    std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + "] " + std::to_string(percent) +
                    "%";
  write_bar(bar);
  bar_shown_ = true;
}

void ConsoleOutput::progress_done() {
  if (!bar_shown_) return;
  write_bar("\r" + std::string(kBarWidth + 8, ' ') + "\r");
  bar_shown_ = false;
  last_drawn_ = -1;
}

#ifdef _WIN32

std::vector<Text> command_line_arguments() {
  std::vector<Text> arguments;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(wide_to_gbk(wide[i]));
  LocalFree(wide);
  return arguments;
}

#else

std::vector<Text> command_line_arguments(int argc, char** argv) {
  std::vector<Text> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(utf8_to_gbk(argv[i]));
  return arguments;
}

#endif

}  // namespace colsplit::cli
