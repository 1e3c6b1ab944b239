// Renders per second of the number-format renderer for the formats that
// dominate real sheets. Prints one line per format.
#include <chrono>
#include <cstdio>
#include <string>

#include "sheetlib/format/number_format.h"

int main() {
  const char* codes[] = {"General", "0.00", "yyyy/m/d", "#,##0.00"};
  constexpr int k_renders = 2'000'000;
  std::size_t sink = 0;
  for (const char* code : codes) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < k_renders; ++i) {
      // Values like those of a sheet: money amounts and dates of recent years.
      const double value = 40000.0 + (i % 9973) * 1.37 + (i % 7) * 0.01;
      sink += sheetlib::format_number(value, code, false).size();
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%-10s %12.0f renders/s  %7.1f ns/render\n", code, k_renders / seconds.count(),
                seconds.count() * 1e9 / k_renders);
  }
  std::printf("(%zu characters rendered)\n", sink);
  return 0;
}
