// A number format code split into its sections and tokens, ready to render.
// Parsing costs far more than rendering, so a parsed code is kept and reused
// for every cell that carries it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/format/native_numerals.h"

namespace sheetlib::format {

enum class TokenKind {
  literal,        // text shown as it is
  digit,          // 0, # or ? (placeholder)
  decimal_point,
  thousands,      // a comma between integer digit placeholders
  percent,
  exponent,       // E+ / E-; placeholder says which
  fraction_slash,
  fraction_denominator,  // a fixed denominator such as the 8 of "# ?/8"
  general,        // the word General inside a code
  text,           // @
  year,           // count: 2 or 4
  month,          // count: 1..5
  day,            // count: 1..4
  weekday_cjk,    // aaa (count 3) / aaaa (count 4)
  hour,
  minute,
  second,
  subsecond,      // count: decimals shown
  elapsed_hours,  // [h], [hh]
  elapsed_minutes,
  elapsed_seconds,
  am_pm,          // text holds the code's own spelling (AM/PM, A/P, 上午/下午)
  era_name,       // g, gg, ggg (count: 1..3)
  era_year,       // e, ee (count: 1..2)
};

// Where a digit placeholder belongs, kept in Token::count of digit tokens.
enum DigitPart { integer_part, decimal_part, exponent_part, numerator_part, denominator_part };

struct Token {
  TokenKind kind;
  std::string text;  // literal text; the placeholder character for digit
  int count = 0;     // letters of a date/time token, or a denominator value
};

struct Condition {
  enum class Op { none, lt, le, gt, ge, eq, ne };
  Op op = Op::none;
  double operand = 0;
  bool matches(double value) const;
  // [<0] and [<=0] pick the negative numbers: their section shows a number
  // without its minus sign, as the negative section of a plain code does.
  bool implies_negative() const;
};

// The language of a locale tag ([$-804], [$-zh-CN]): it decides the names of
// months and days, the characters of [DBNum] numerals and the meaning of the
// era letters g and e.
enum class Language : std::uint8_t { unspecified, chinese, chinese_traditional, japanese, other };

struct Section {
  std::vector<Token> tokens;
  Condition condition;
  Language language = Language::unspecified;
  bool gannen = false;         // [$-ja-JP-x-gannen]: the first year of an era is 元年
  NumeralStyle numerals;       // [DBNum1] … [DBNum3]
  bool is_date = false;        // holds date or time tokens
  bool is_text = false;        // holds @: a section for texts, not numbers
  bool is_malformed = false;   // mixes digit placeholders and dates ("0 pcs")
  bool has_elapsed = false;
  bool twelve_hour = false;
  // Number sections.
  bool thousands = false;
  int scale_thousands = 0;     // trailing commas: each divides by 1000
  bool percent = false;
  int fraction_digits = 0;     // placeholders after the decimal point
  bool has_exponent = false;
  bool has_fraction = false;
  int subsecond_digits = 0;

  // Month and day names in Chinese (or Japanese) characters: a Chinese or
  // Japanese locale tag, or [DBNum] numerals without a tag, which only a
  // Chinese or Japanese spreadsheet writes.
  bool cjk_names() const {
    return language == Language::chinese || language == Language::chinese_traditional ||
           language == Language::japanese || (language == Language::unspecified && numerals.numerals != Numerals::arabic);
  }
};

struct FormatCode {
  std::vector<Section> sections;
};

FormatCode parse_format_code(std::string_view code);

}  // namespace sheetlib::format
