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

enum class TokenKind : std::uint8_t {
  literal,        // text shown as it is
  digit,          // 0, # or ? (placeholder); Token::part says where it belongs
  decimal_point,
  thousands,      // a comma while tokenizing; the parser makes it grouping, scaling or text
  percent,
  exponent,       // text holds the code's E+ or E- (either case)
  fraction_slash,
  fraction_denominator,  // a fixed denominator such as the 8 of "# ?/8"
  general,        // the word General inside a code
  text,           // @
  year,           // letters: 2 or 4
  month,          // letters: 1..5
  day,            // letters: 1..4
  weekday_cjk,    // aaa (letters 3) / aaaa (letters 4)
  hour,           // letters: 1..2, as minute and second
  minute,
  second,
  subsecond,      // letters: the zeros after the point, decimals shown (1..3)
  elapsed_hours,  // [h], [hh]: letters 1 or 2, as the other elapsed units
  elapsed_minutes,
  elapsed_seconds,
  am_pm,          // text holds the code's own spelling (AM/PM, A/P, 上午/下午)
  era_name,       // g, gg, ggg (letters: 1..3)
  era_year,       // e, ee (letters: 1..2)
};

// Where a digit placeholder belongs: before or after the decimal point, in
// the exponent, or in the numerator or denominator of a fraction.
enum class DigitPart : std::uint8_t { integer, decimal, exponent, numerator, denominator };

struct Token {
  TokenKind kind;
  DigitPart part = DigitPart::integer;  // digit tokens
  // Literal text; for the other kinds the code's characters that the
  // renderer needs (the placeholder 0 # ?, E+, AM/PM, the 8 of ?/8).
  std::string text;
  int letters = 0;      // date and time tokens: the letter count (yy 2, mmmm 4, [hh] 2)
  int denominator = 0;  // fraction_denominator: its value
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
