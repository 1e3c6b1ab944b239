// Numbers written in Chinese characters, as the [DBNum1] (一千二百三十四),
// [DBNum2] (壹仟贰佰叁拾肆, the capitals of amounts on cheques and invoices)
// and [DBNum3] (full-width digits, １２３４) tags of a format code ask.
// The texts are UTF-8; every character is also in GBK.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sheetlib::format {

enum class Numerals : std::uint8_t {
  arabic,      // no tag (or one that changes nothing here)
  lower,       // [DBNum1]
  upper,       // [DBNum2]
  full_width,  // [DBNum3]
};

struct NumeralStyle {
  Numerals numerals = Numerals::arabic;
  bool traditional = false;  // Taiwan, Hong Kong, Macao: 萬 億 貳 參 …
  // Numbers with their digits replaced one by one (1234 -> 一二三四), as the
  // numeral byte of a locale tag ([$-1E000804]) asks; dates read alike.
  bool digit_by_digit = false;
};

// A count in words: "1234" -> 一千二百三十四, "100005" -> 一十万〇五, with
// 万, 亿 and 兆 every four digits. Leading zeros are not read; no digits or
// zeros alone are 〇 (零 in capitals). A `date_field` (a month, a day, an hour) of 10 to 19
// drops the leading 一: 十二月, not 一十二月. Full-width numerals write the
// digits as they are.
void append_counted(std::string_view digits, NumeralStyle style, bool date_field, std::string& out);

// Digit by digit: "2024" -> 二〇二四, the way years and decimals are read.
void append_digit_by_digit(std::string_view digits, NumeralStyle style, std::string& out);

// The decimal point of the numerals: ．, or 点 (點) for the capitals.
const char* decimal_point(NumeralStyle style);

// A number as the renderer wrote it in Arabic digits ("-1,234.50",
// "12.3%", "1 1/4", "1.5E+07"), with each run of integer digits counted
// (thousands separators between them dropped, or full-width), decimals
// read digit by digit, the decimal point as the numerals write it and
// everything else kept. A digit-by-digit style only replaces the digits and
// the point.
std::string to_native_numerals(std::string_view arabic, NumeralStyle style);

}  // namespace sheetlib::format
