// Serial day numbers of the two spreadsheet date systems and the civil dates
// they stand for.
#pragma once

#include <cstdint>

namespace sheetlib::format {

struct CivilDate {
  int year;
  int month;  // 1..12
  int day;    // 1..31; 0 for the 1900 system's day 0, "1900-01-00"
};

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t days_from_civil(std::int64_t year, int month, int day);
CivilDate civil_from_days(std::int64_t days);

// The 1900 system counts 1900-01-01 as day 1 and, as Lotus 1-2-3 did,
// includes a 29 February 1900 (day 60) that never was; the 1904 system
// counts 1904-01-01 as day 0.
CivilDate date_of_serial_day(std::int64_t serial_day, bool date1904);
// 0 = Sunday. Days before 1900-03-01 keep the weekdays the fictitious leap
// day gives them, as spreadsheets show them.
int weekday_of_serial_day(std::int64_t serial_day, bool date1904);
// The serial day of a civil date; 1900-02-29 is day 60 of the 1900 system.
std::int64_t serial_day_of_date(int year, int month, int day, bool date1904);

// Serial days of 9999-12-31, the last date a spreadsheet shows.
inline std::int64_t last_serial_day(bool date1904) { return date1904 ? 2957003 : 2958465; }

}  // namespace sheetlib::format
