// The cost of a call through the DLL-command table once the row is bound
// (the preview and the writer make one call per cell), next to a plain call
// through a function pointer; and the cost of create_workbook's existence
// test of the library file.
#include <chrono>
#include <cstdio>

#include "xl/library_calls.h"
#include "xl/workbook_provisioning.h"

namespace xl = colsplit::xl;

namespace {

int stand_in_last_row(void* sheet) { return sheet != nullptr; }
int stand_in_set_col(void* sheet, int first, int last, double width, void* format, int hidden) {
  return (sheet != nullptr) + first + last + (width > 0) + (format != nullptr) + hidden;
}

template <typename Body>
double nanoseconds_per_call(long calls, Body body) {
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < calls; ++i) body(i);
  const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / static_cast<double>(calls);
}

}  // namespace

int main() {
  constexpr long kCalls = 5'000'000;
  const xl::SheetHandle sheet = reinterpret_cast<xl::SheetHandle>(0x10);
  volatile long sink = 0;

  int (*volatile direct)(void*) = stand_in_last_row;
  const double plain = nanoseconds_per_call(kCalls, [&](long) { sink = sink + direct(sheet); });

  xl::testing::bind_row(xl::Row::xlSheetLastRowA, reinterpret_cast<void*>(&stand_in_last_row));
  xl::testing::bind_row(xl::Row::xlSheetSetColA, reinterpret_cast<void*>(&stand_in_set_col));
  const double one_argument = nanoseconds_per_call(kCalls, [&](long) { sink = sink + xl::xlSheetLastRowA(sheet); });
  const double six_arguments = nanoseconds_per_call(
      kCalls, [&](long i) { sink = sink + xl::xlSheetSetColA(sheet, 0, static_cast<int>(i & 7), 12.5, nullptr, 0); });
  xl::testing::unbind_all();

  constexpr long kWorkbooks = 2'000;
  const double workbook = nanoseconds_per_call(kWorkbooks, [&](long) { xl::xlBookReleaseA(xl::create_workbook()); });

  std::printf("plain call through a pointer       %8.1f ns\n", plain);
  std::printf("bound row, one argument            %8.1f ns\n", one_argument);
  std::printf("bound row, six arguments (double)  %8.1f ns\n", six_arguments);
  std::printf("create_workbook + xlBookReleaseA   %8.1f us\n", workbook / 1000.0);
  return sink == -1;
}
