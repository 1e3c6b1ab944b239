#include "xl/binding.h"

#include <array>
#include <cstdlib>

#include "app/runtime_error/runtime_error_report.h"
#include "text/gbk_chars.h"
#include "app/texts.h"
#include "xl/dll_command_table.h"
#include "xl/platform.h"
#include "xl/workbook_provisioning.h"

namespace colsplit::xl {

namespace {

struct Binding {
  platform::Module module = nullptr;  // null for a stand-in bound by a test
  void* address = nullptr;
};

std::array<Binding, kRowCount> g_bindings{};

void install_release_at_exit() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  // The runtime error report ends the process without running atexit
  // handlers, so the release is hooked into both ways out.
  set_before_exit_hook(release_bound_libraries);
  std::atexit(release_bound_libraries);
}

// The first location that loads: a name without a colon is looked for in the
// run directory first, then left to the system's library search; a name with
// a colon (a drive) is taken alone.
platform::Module locate_library(const Text& file_name) {
  if (file_name.find(':') == Text::npos) {
    if (platform::Module module = platform::load_library(run_directory() + platform::kPathSeparator + file_name))
      return module;
  }
  return platform::load_library(file_name);
}

[[noreturn]] void report_cannot_bind(Row row) {
  const std::size_t index = row_index(row);
  raise_runtime_error(kErrorNone, cannot_bind_message(kLibraryFiles[index], kFunctionNames[index]), 0, 0);
}

void* bind(Row row) {
  install_release_at_exit();
  const std::size_t index = row_index(row);
  platform::Module module = locate_library(platform::library_file_name(kLibraryFiles[index]));
  if (!module) report_cannot_bind(row);
  void* address = platform::find_function(module, kFunctionNames[index]);
  if (!address) {
    platform::free_library(module);
    report_cannot_bind(row);
  }
  g_bindings[index] = Binding{module, address};
  return address;
}

}  // namespace

void* bound_address(Row row) {
  if (void* address = g_bindings[row_index(row)].address) return address;
  return bind(row);
}

void report_unbalanced_stack(Row row, const std::source_location& where) {
  raise_runtime_error(kErrorStackUnbalanced, texts::kStackUnbalanced, static_cast<int>(row_index(row)) + 1,
                      static_cast<int>(where.line()));
}

void release_bound_libraries() {
  for (Binding& binding : g_bindings) {
    if (binding.module) platform::free_library(binding.module);
    binding = Binding{};
  }
}

Text directory_of(const Text& path, char separator) {
  const std::size_t last = find_last_char(path, separator);
  return last == Text::npos ? Text() : path.substr(0, last);
}

Text run_directory() { return directory_of(platform::executable_path(), platform::kPathSeparator); }

Text library_file_path() {
  return run_directory() + platform::kPathSeparator + platform::library_file_name(kLibraryFiles[row_index(Row::xlCreateXMLBookCA)]);
}

namespace testing {

void bind_row(Row row, void* address) {
  Binding& binding = g_bindings[row_index(row)];
  if (binding.module) platform::free_library(binding.module);
  binding = Binding{nullptr, address};
}

void unbind_all() { release_bound_libraries(); }

}  // namespace testing

}  // namespace colsplit::xl
