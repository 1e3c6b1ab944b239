#include "export/time_stamp.h"

#include "text/formatted_text.h"
#include "text/texts.h"

namespace colsplit {

Text format_time_stamp(const LocalTime& time) {
  Text stamp = format_text(texts::kDateFormat, time.year, time.month, time.day);
  if (time.second != 0) {
    stamp += format_text(texts::kHourMinuteSecondFormat, time.hour, time.minute, time.second);
  } else if (time.minute != 0) {
    stamp += format_text(texts::kHourMinuteFormat, time.hour, time.minute);
  } else if (time.hour != 0) {
    stamp += format_text(texts::kHourFormat, time.hour);
  }
  return stamp;
}

}  // namespace colsplit
