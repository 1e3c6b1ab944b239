#include "export/time_stamp.h"

#include <cstdio>

#include "app/texts.h"

namespace colsplit {

namespace {

template <typename... Numbers>
Text format_numbers(const char* format, Numbers... numbers) {
  char buffer[128];
  const int length = std::snprintf(buffer, sizeof buffer, format, numbers...);
  return length > 0 ? Text(buffer, static_cast<std::size_t>(length)) : Text();
}

}  // namespace

Text format_time_stamp(const LocalTime& time) {
  Text stamp = format_numbers(texts::kDateFormat, time.year, time.month, time.day);
  if (time.second != 0) {
    stamp += format_numbers(texts::kHourMinuteSecondFormat, time.hour, time.minute, time.second);
  } else if (time.minute != 0) {
    stamp += format_numbers(texts::kHourMinuteFormat, time.hour, time.minute);
  } else if (time.hour != 0) {
    stamp += format_numbers(texts::kHourFormat, time.hour);
  }
  return stamp;
}

}  // namespace colsplit
