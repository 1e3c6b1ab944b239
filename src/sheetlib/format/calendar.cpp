#include "sheetlib/format/calendar.h"

namespace sheetlib::format {

namespace {

// 1899-12-30, day 0 of the 1900 system from 1900-03-01 on, counted from
// 1970-01-01 (which is day 25569).
constexpr std::int64_t k_epoch_1900 = -25569;
constexpr std::int64_t k_1904_offset = 1462;  // 1904-01-01 in the 1900 system

}  // namespace

// Howard Hinnant's algorithms, on 400-year eras.
std::int64_t days_from_civil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

CivilDate civil_from_days(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t day_of_era = days - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t mp = (5 * day_of_year + 2) / 153;
  const int day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const std::int64_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
  return CivilDate{static_cast<int>(year), month, day};
}

CivilDate date_of_serial_day(std::int64_t serial_day, bool date1904) {
  if (date1904) return civil_from_days(k_epoch_1900 + serial_day + k_1904_offset);
  if (serial_day == 0) return CivilDate{1900, 1, 0};
  if (serial_day == 60) return CivilDate{1900, 2, 29};
  if (serial_day < 60) return civil_from_days(k_epoch_1900 + serial_day + 1);
  return civil_from_days(k_epoch_1900 + serial_day);
}

int weekday_of_serial_day(std::int64_t serial_day, bool date1904) {
  const std::int64_t day = serial_day + (date1904 ? k_1904_offset : 0);
  return static_cast<int>(((day + 6) % 7 + 7) % 7);
}

std::int64_t serial_day_of_date(int year, int month, int day, bool date1904) {
  if (!date1904 && year == 1900 && month == 2 && day == 29) return 60;
  const std::int64_t days = days_from_civil(year, month, day) - k_epoch_1900;
  if (date1904) return days - k_1904_offset;
  return days < 61 ? days - 1 : days;
}

}  // namespace sheetlib::format
