#include "sheetlib/format/native_numerals.h"

namespace sheetlib::format {

namespace {

struct Glyphs {
  const char* digits[10];
  const char* units[3];   // 十 百 千: the places within a group of four digits
  const char* groups[3];  // 万 亿 兆: the groups of four
  const char* point;
};

constexpr Glyphs k_lower = {{"〇", "一", "二", "三", "四", "五", "六", "七", "八", "九"},
                            {"十", "百", "千"},
                            {"万", "亿", "兆"},
                            "．"};
constexpr Glyphs k_lower_traditional = {{"〇", "一", "二", "三", "四", "五", "六", "七", "八", "九"},
                                        {"十", "百", "千"},
                                        {"萬", "億", "兆"},
                                        "．"};
constexpr Glyphs k_upper = {{"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"},
                            {"拾", "佰", "仟"},
                            {"万", "亿", "兆"},
                            "点"};
constexpr Glyphs k_upper_traditional = {{"零", "壹", "貳", "參", "肆", "伍", "陸", "柒", "捌", "玖"},
                                        {"拾", "佰", "仟"},
                                        {"萬", "億", "兆"},
                                        "點"};
constexpr const char* k_full_width_digits[10] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
constexpr const char* k_full_width_point = "．";
constexpr const char* k_full_width_comma = "，";

const Glyphs& glyphs_of(NumeralStyle style) {
  if (style.numerals == Numerals::upper) return style.traditional ? k_upper_traditional : k_upper;
  return style.traditional ? k_lower_traditional : k_lower;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The unit of the g-th group of four (g >= 1): 万, 亿, 兆, then 万兆, 亿兆,
// 兆兆 and so on, as LibreOffice counts past 10^16.
void append_group_unit(const Glyphs& glyphs, std::size_t group, std::string& out) {
  out += glyphs.groups[(group - 1) % 3];
  for (std::size_t i = 0; i < (group - 1) / 3; ++i) out += glyphs.groups[2];
}

}  // namespace

const char* decimal_point(NumeralStyle style) {
  if (style.numerals == Numerals::arabic) return ".";
  return style.numerals == Numerals::full_width ? k_full_width_point : glyphs_of(style).point;
}

void append_digit_by_digit(std::string_view digits, NumeralStyle style, std::string& out) {
  if (style.numerals == Numerals::arabic) {
    out += digits;
    return;
  }
  const char* const* table = style.numerals == Numerals::full_width ? k_full_width_digits : glyphs_of(style).digits;
  for (const char c : digits) {
    if (is_digit(c)) out += table[c - '0'];
  }
}

void append_counted(std::string_view digits, NumeralStyle style, bool date_field, std::string& out) {
  if (style.numerals == Numerals::arabic || style.numerals == Numerals::full_width) {
    return append_digit_by_digit(digits, style, out);
  }
  const Glyphs& glyphs = glyphs_of(style);
  while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
  if (digits.empty()) {
    out += glyphs.digits[0];
    return;
  }
  // A run of zeros between two digits reads as one 零 (〇), unless it ends a
  // group: 1,0001 is 一万〇一, 1000,1000 is 一千万一千.
  bool zero_pending = false;
  bool group_has_digit = false;
  const std::size_t count = digits.size();
  for (std::size_t i = 0; i < count; ++i) {
    const int digit = digits[i] - '0';
    const std::size_t place = count - 1 - i;
    if (digit == 0) {
      zero_pending = true;
    } else {
      if (zero_pending) out += glyphs.digits[0];
      zero_pending = false;
      group_has_digit = true;
      // 十二月, 十五日: a date's 10 to 19 go without their 一.
      const bool bare_ten = date_field && count == 2 && i == 0 && digit == 1;
      if (!bare_ten) out += glyphs.digits[digit];
      if (place % 4 != 0) out += glyphs.units[place % 4 - 1];
    }
    if (place % 4 == 0 && place > 0) {
      if (group_has_digit) append_group_unit(glyphs, place / 4, out);
      zero_pending = false;
      group_has_digit = false;
    }
  }
}

std::string to_native_numerals(std::string_view arabic, NumeralStyle style) {
  if (style.numerals == Numerals::arabic) return std::string(arabic);
  const bool full_width = style.numerals == Numerals::full_width;
  std::string out;
  std::size_t i = 0;
  while (i < arabic.size()) {
    const char c = arabic[i];
    if (is_digit(c) && style.digit_by_digit) {
      append_digit_by_digit(arabic.substr(i, 1), style, out);
      ++i;
    } else if (is_digit(c) && i > 0 && arabic[i - 1] == '.') {
      // Decimals, read digit by digit.
      std::size_t end = i;
      while (end < arabic.size() && is_digit(arabic[end])) ++end;
      append_digit_by_digit(arabic.substr(i, end - i), style, out);
      i = end;
    } else if (is_digit(c)) {
      // An integer, perhaps grouped by commas: counted as one number.
      std::string digits;
      std::size_t end = i;
      while (end < arabic.size()) {
        if (is_digit(arabic[end])) {
          digits += arabic[end];
        } else if (arabic[end] == ',' && end + 1 < arabic.size() && is_digit(arabic[end + 1])) {
          if (full_width) digits += ',';
        } else {
          break;
        }
        ++end;
      }
      if (full_width) {
        for (const char d : digits) out += d == ',' ? k_full_width_comma : k_full_width_digits[d - '0'];
      } else {
        append_counted(digits, style, false, out);
      }
      i = end;
    } else if (c == '.' && ((i > 0 && is_digit(arabic[i - 1])) || (i + 1 < arabic.size() && is_digit(arabic[i + 1])))) {
      out += decimal_point(style);
      ++i;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

}  // namespace sheetlib::format
