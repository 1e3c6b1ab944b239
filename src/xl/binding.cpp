#include "xl/binding.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "text/file_paths.h"
#include "xl/dll_command_table.h"
#include "xl/platform.h"
#include "xl/workbook_provisioning.h"

namespace colsplit::xl {

namespace {

struct Binding {
  platform::Module module = nullptr;  // null for a stand-in bound by a test
  // Read without the lock: a row bound once stays bound.
  std::atomic<void*> address{nullptr};
};

// Rows are bound by the thread that calls them first: the window's thread,
// or the worker's while the window's thread fills the next workbook.
std::mutex g_binding_lock;
std::array<Binding, kRowCount> g_bindings{};
std::atomic<BindingFailureReporter> g_reporter{nullptr};

[[noreturn]] void report(const BindingFailure& failure) {
  if (const BindingFailureReporter reporter = g_reporter.load()) reporter(failure);
  if (failure.kind == BindingFailure::Kind::cannot_bind) {
    std::fprintf(stderr, "cannot bind %s in %s\n", failure.function_name.c_str(), failure.library_file.c_str());
  } else {
    std::fprintf(stderr, "unbalanced stack after row %d, line %d\n", failure.routine, failure.place);
  }
  std::abort();
}

void install_release_at_exit() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  // A normal end of the program; the runtime error report, which ends the
  // process without atexit handlers, gives the references back through the
  // hook that the program installs.
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
  report(BindingFailure{BindingFailure::Kind::cannot_bind, kLibraryFiles[index], kFunctionNames[index]});
}

void* bind(Row row) {
  const std::size_t index = row_index(row);
  {
    const std::lock_guard lock(g_binding_lock);
    if (void* address = g_bindings[index].address.load()) return address;  // bound meanwhile
    install_release_at_exit();
    if (platform::Module module = locate_library(platform::library_file_name(kLibraryFiles[index]))) {
      if (void* address = platform::find_function(module, kFunctionNames[index])) {
        g_bindings[index].module = module;
        g_bindings[index].address.store(address);
        return address;
      }
      platform::free_library(module);
    }
  }
  // Reported without the lock: the report may end this thread only (a
  // worker's), and the window's thread then binds and reports in its turn.
  report_cannot_bind(row);
}

}  // namespace

void set_binding_failure_reporter(BindingFailureReporter reporter) { g_reporter.store(reporter); }

void* bound_address(Row row) {
  if (void* address = g_bindings[row_index(row)].address.load(std::memory_order_acquire)) return address;
  return bind(row);
}

void report_unbalanced_stack(Row row, const std::source_location& where) {
  report(BindingFailure{BindingFailure::Kind::unbalanced_stack, {}, {}, static_cast<int>(row_index(row)) + 1,
                        static_cast<int>(where.line())});
}

void release_bound_libraries() {
  for (Binding& binding : g_bindings) {
    if (binding.module) platform::free_library(binding.module);
    binding.module = nullptr;
    binding.address.store(nullptr);
  }
}

Text run_directory() { return folder_of(executable_path()); }

Text library_file_path() {
  return run_directory() + platform::kPathSeparator +
         platform::library_file_name(kLibraryFiles[row_index(Row::xlCreateXMLBookCA)]);
}

namespace testing {

void bind_row(Row row, void* address) {
  Binding& binding = g_bindings[row_index(row)];
  if (binding.module) platform::free_library(binding.module);
  binding.module = nullptr;
  binding.address.store(address);
}

void unbind_all() { release_bound_libraries(); }

}  // namespace testing

}  // namespace colsplit::xl
