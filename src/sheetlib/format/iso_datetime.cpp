#include <cstdint>

#include "sheetlib/format/calendar.h"
#include "sheetlib/format/number_format.h"

namespace sheetlib {

namespace {

class IsoReader {
 public:
  explicit IsoReader(std::string_view text) : text_(text) {}

  bool number(int digits, int& value) {
    if (text_.size() - position_ < static_cast<std::size_t>(digits)) return false;
    value = 0;
    for (int i = 0; i < digits; ++i) {
      const char c = text_[position_++];
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    return true;
  }
  bool take(char c) {
    if (position_ < text_.size() && text_[position_] == c) {
      ++position_;
      return true;
    }
    return false;
  }
  bool at_end() const { return position_ == text_.size(); }
  // Digits after a decimal point, as a fraction of one.
  double fraction() {
    double value = 0;
    double scale = 0.1;
    while (position_ < text_.size() && text_[position_] >= '0' && text_[position_] <= '9') {
      value += (text_[position_++] - '0') * scale;
      scale /= 10;
    }
    return value;
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

bool is_leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap(year) ? 29 : days[month - 1];
}

// hh:mm[:ss[.fff]] as a fraction of a day.
bool read_time(IsoReader& reader, double& day_fraction) {
  int hour = 0, minute = 0, second = 0;
  if (!reader.number(2, hour) || !reader.take(':') || !reader.number(2, minute)) return false;
  double fraction = 0;
  if (reader.take(':')) {
    if (!reader.number(2, second)) return false;
    if (reader.take('.') || reader.take(',')) fraction = reader.fraction();
  }
  reader.take('Z');
  if (!reader.at_end()) return false;  // an offset from UTC has no place in a cell
  const bool midnight_end = hour == 24 && minute == 0 && second == 0 && fraction == 0;
  if ((hour > 23 && !midnight_end) || minute > 59 || second > 59) return false;
  day_fraction = ((hour * 60.0 + minute) * 60.0 + second + fraction) / 86400.0;
  return true;
}

}  // namespace

std::optional<double> iso_datetime_to_serial(std::string_view iso, bool date1904) {
  while (!iso.empty() && (iso.front() == ' ' || iso.front() == '\t')) iso.remove_prefix(1);
  while (!iso.empty() && (iso.back() == ' ' || iso.back() == '\t')) iso.remove_suffix(1);
  IsoReader reader(iso);
  double day_fraction = 0;
  if (iso.size() > 2 && iso[2] == ':') {
    if (!read_time(reader, day_fraction)) return std::nullopt;
    return day_fraction;
  }
  int year = 0, month = 0, day = 0;
  if (!reader.number(4, year) || !reader.take('-') || !reader.number(2, month) || !reader.take('-') ||
      !reader.number(2, day)) {
    return std::nullopt;
  }
  if (month < 1 || month > 12 || day < 1) return std::nullopt;
  const bool fictitious_leap_day = !date1904 && year == 1900 && month == 2 && day == 29;
  if (day > days_in_month(year, month) && !fictitious_leap_day) return std::nullopt;
  if (!reader.at_end()) {
    if (!reader.take('T') && !reader.take(' ')) return std::nullopt;
    if (!read_time(reader, day_fraction)) return std::nullopt;
  }
  const std::int64_t serial_day = format::serial_day_of_date(year, month, day, date1904);
  // Before the first day of the date system there is no serial number; the
  // caller keeps the text as it is.
  if (serial_day < (date1904 ? 0 : 1)) return std::nullopt;
  return static_cast<double>(serial_day) + day_fraction;
}

}  // namespace sheetlib
