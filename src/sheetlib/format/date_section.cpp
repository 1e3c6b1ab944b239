#include <cmath>
#include <cstdint>

#include "sheetlib/format/calendar.h"
#include "sheetlib/format/japanese_era.h"
#include "sheetlib/format/native_numerals.h"
#include "sheetlib/format/render.h"

namespace sheetlib::format {

namespace {

constexpr const char* k_month_names[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
constexpr const char* k_day_names[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* k_chinese_months[] = {"一月", "二月", "三月", "四月",   "五月",   "六月",
                                            "七月", "八月", "九月", "十月", "十一月", "十二月"};
// The weekday character after 星期 / 周.
constexpr const char* k_chinese_days[] = {"日", "一", "二", "三", "四", "五", "六"};
// The Japanese weekday, before 曜日.
constexpr const char* k_japanese_days[] = {"日", "月", "火", "水", "木", "金", "土"};

std::string padded(std::int64_t number, int width) {
  std::string digits = std::to_string(number);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  return digits;
}

void append_padded(std::int64_t number, int width, std::string& out) { out += padded(number, width); }

// A month, day, hour, minute, second or era year. In Chinese numerals it is
// counted (十二月二十五日) and never padded; full-width digits keep the
// padding (０３/０１).
void append_field(const Section& section, std::int64_t number, int width, std::string& out) {
  switch (section.numerals.numerals) {
    case Numerals::arabic: return append_padded(number, width, out);
    case Numerals::full_width: return append_digit_by_digit(padded(number, width), section.numerals, out);
    default: return append_counted(std::to_string(number), section.numerals, true, out);
  }
}

// A year (and fractions of a second) is read digit by digit: 二〇二四.
void append_digits(const std::string& digits, const Section& section, std::string& out) {
  append_digit_by_digit(digits, section.numerals, out);
}

struct Moment {
  CivilDate date{};
  int weekday = 0;
  std::int64_t total_seconds = 0;  // since the serial's day 0, for elapsed time
  int hour = 0, minute = 0, second = 0;
  std::int64_t subsecond = 0;      // in units of 10^-subsecond_digits seconds
};

// What a section shows beyond its clock: a date (so that the year 9999 is
// the limit), and the larger elapsed units, which the smaller ones count on
// from ([h]:[m] shows the minutes of the hour, [m] all of them).
struct Shown {
  bool date = false;
  bool elapsed_hours = false;
  bool elapsed_minutes = false;
};

Shown shown_in(const Section& section) {
  Shown shown;
  for (const Token& token : section.tokens) {
    shown.date |= token.kind == TokenKind::year || token.kind == TokenKind::month || token.kind == TokenKind::day ||
                  token.kind == TokenKind::weekday_cjk;
    shown.elapsed_hours |= token.kind == TokenKind::elapsed_hours;
    shown.elapsed_minutes |= token.kind == TokenKind::elapsed_minutes;
  }
  return shown;
}

// The moment of a serial number, rounded to the smallest unit shown (whole
// seconds unless fractions of a second are shown) before it is split:
// 10:29:59.6 shows as 10:30. False when the moment is past what a
// spreadsheet shows.
bool moment_of_serial(const Section& section, double magnitude, bool shows_date, bool date1904, Moment& moment) {
  std::int64_t unit = 1;
  for (int i = 0; i < section.subsecond_digits; ++i) unit *= 10;
  const double units = std::round(magnitude * 86400.0 * static_cast<double>(unit));
  if (!(units < 9e15)) return false;
  const auto all_units = static_cast<std::int64_t>(units);
  const std::int64_t per_day = 86400 * unit;
  const std::int64_t serial_day = all_units / per_day;
  if (shows_date && serial_day > last_serial_day(date1904)) return false;

  moment.date = date_of_serial_day(serial_day, date1904);
  moment.weekday = weekday_of_serial_day(serial_day, date1904);
  moment.total_seconds = all_units / unit;
  moment.subsecond = all_units % unit;
  const std::int64_t second_of_day = moment.total_seconds % 86400;
  moment.hour = static_cast<int>(second_of_day / 3600);
  moment.minute = static_cast<int>(second_of_day / 60 % 60);
  moment.second = static_cast<int>(second_of_day % 60);
  return true;
}

void append_month(const Section& section, const Moment& moment, int letters, std::string& out) {
  const int index = moment.date.month - 1;
  if (letters <= 2) {
    append_field(section, moment.date.month, letters, out);
  } else if (section.cjk_names()) {
    if (letters == 3) {
      out += std::to_string(moment.date.month) + "月";
    } else if (letters == 4) {
      out += k_chinese_months[index];
    } else {
      out += std::string_view(k_chinese_months[index]).substr(0, 3);  // one character
    }
  } else if (letters == 3) {
    out.append(k_month_names[index], 3);
  } else if (letters == 4) {
    out += k_month_names[index];
  } else {
    out += k_month_names[index][0];
  }
}

// 星期五 or 五; in a Japanese date 金曜日 or 金.
void append_cjk_weekday(const Section& section, int weekday, bool long_form, std::string& out) {
  if (section.language == Language::japanese) {
    out += k_japanese_days[weekday];
    if (long_form) out += "曜日";
    return;
  }
  if (long_form) out += "星期";
  out += k_chinese_days[weekday];
}

void append_day(const Section& section, const Moment& moment, int letters, std::string& out) {
  if (letters <= 2) {
    append_field(section, moment.date.day, letters, out);
  } else if (section.cjk_names()) {
    append_cjk_weekday(section, moment.weekday, letters == 4, out);
  } else if (letters == 3) {
    out.append(k_day_names[moment.weekday], 3);
  } else {
    out += k_day_names[moment.weekday];
  }
}

void append_am_pm(const Section& section, const std::string& spelling, bool afternoon, std::string& out) {
  if (spelling.size() == 3) {  // A/P, a/p: the letter as the code writes it
    out += afternoon ? spelling[2] : spelling[0];
  } else if (spelling.size() == 5 && section.language == Language::japanese) {
    out += afternoon ? "午後" : "午前";
  } else if (spelling.size() == 5 && !section.cjk_names()) {
    out += afternoon ? "PM" : "AM";
  } else {
    out += afternoon ? "下午" : "上午";
  }
}

// e, ee: the year of the Japanese era, 元 for its first year where the
// locale tag asks; outside Japanese dates the year, as Excel shows it.
void append_era_year(const Section& section, const Moment& moment, int letters, std::string& out) {
  if (section.language != Language::japanese) return append_digits(padded(moment.date.year, 4), section, out);
  const JapaneseEra era = japanese_era_of(moment.date);
  if (section.gannen && era.year == 1) {
    out += "元";
  } else {
    append_field(section, era.year, letters, out);
  }
}

void append_hour(const Section& section, const Moment& moment, int letters, std::string& out) {
  int hour = moment.hour;
  if (section.twelve_hour) hour = hour % 12 == 0 ? 12 : hour % 12;
  append_field(section, hour, letters, out);
}

// [h], [m], [s]: the time elapsed since day 0, each unit counting on from
// the larger units shown.
std::int64_t elapsed(TokenKind kind, const Moment& moment, const Shown& shown) {
  if (kind == TokenKind::elapsed_hours) return moment.total_seconds / 3600;
  if (kind == TokenKind::elapsed_minutes) {
    return shown.elapsed_hours ? moment.total_seconds / 60 % 60 : moment.total_seconds / 60;
  }
  return shown.elapsed_hours || shown.elapsed_minutes ? moment.total_seconds % 60 : moment.total_seconds;
}

void append_subsecond(const Section& section, const Moment& moment, int letters, std::string& out) {
  out += decimal_point(section.numerals);
  append_digits(padded(moment.subsecond, section.subsecond_digits).substr(0, static_cast<std::size_t>(letters)),
                section, out);
}

void append_date_token(const Section& section, const Token& token, const Moment& moment, const Shown& shown,
                       std::string& out) {
  const int letters = token.letters;
  switch (token.kind) {
    case TokenKind::year:
      append_digits(padded(letters == 2 ? moment.date.year % 100 : moment.date.year, letters), section, out);
      break;
    case TokenKind::era_name:
      if (section.language == Language::japanese) append_era_name(japanese_era_of(moment.date), letters, out);
      break;
    case TokenKind::era_year: append_era_year(section, moment, letters, out); break;
    case TokenKind::month: append_month(section, moment, letters, out); break;
    case TokenKind::day: append_day(section, moment, letters, out); break;
    case TokenKind::weekday_cjk:
      // aaa / aaaa: the weekday as a Chinese Excel shows it, whatever the
      // locale but Japanese.
      append_cjk_weekday(section, moment.weekday, letters == 4, out);
      break;
    case TokenKind::hour: append_hour(section, moment, letters, out); break;
    case TokenKind::minute: append_field(section, moment.minute, letters, out); break;
    case TokenKind::second: append_field(section, moment.second, letters, out); break;
    case TokenKind::elapsed_hours:
    case TokenKind::elapsed_minutes:
    case TokenKind::elapsed_seconds:
      append_field(section, elapsed(token.kind, moment, shown), letters, out);
      break;
    case TokenKind::subsecond: append_subsecond(section, moment, letters, out); break;
    case TokenKind::am_pm: append_am_pm(section, token.text, moment.hour >= 12, out); break;
    default: out += token.text;
  }
}

}  // namespace

bool append_date(const Section& section, double magnitude, bool minus, bool date1904, std::string& out) {
  // Only elapsed time has a sign; a negative date or clock time has no text.
  if (minus && !section.has_elapsed) return false;
  const Shown shown = shown_in(section);
  Moment moment;
  if (!moment_of_serial(section, magnitude, shown.date, date1904, moment)) return false;
  if (minus) out += '-';
  for (const Token& token : section.tokens) append_date_token(section, token, moment, shown, out);
  return true;
}

}  // namespace sheetlib::format
