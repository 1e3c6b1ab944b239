// Placeholder rendering until the format engine lands: General only.
#include "sheetlib/format/number_format.h"

#include <cstdio>

namespace sheetlib {

std::string format_number(double value, std::string_view, bool) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return buffer;
}

std::string_view builtin_number_format(int) { return "General"; }

std::optional<double> iso_datetime_to_serial(std::string_view, bool) { return std::nullopt; }

}  // namespace sheetlib
