// The time stamp in the name of every group workbook.
#pragma once

#include "app/controls/controls.h"

namespace colsplit {

// "2026年12月7日" followed by the time as far as it is not zero from the
// right: "4时51分33秒", "4时51分", "4时", or nothing at midnight. Decimal
// numbers without leading zeros, 24-hour clock.
Text format_time_stamp(const LocalTime& time);

}  // namespace colsplit
