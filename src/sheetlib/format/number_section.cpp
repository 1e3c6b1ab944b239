#include <algorithm>
#include <cmath>
#include <cstdint>

#include "sheetlib/format/decimal_digits.h"
#include "sheetlib/format/render.h"

namespace sheetlib::format {

namespace {

bool is_digit(const Token& token, DigitPart part) {
  return token.kind == TokenKind::digit && token.part == part;
}

int count_digits(const Section& section, DigitPart part) {
  int count = 0;
  for (const Token& token : section.tokens) count += is_digit(token, part) ? 1 : 0;
  return count;
}

// What a placeholder shows where the number has no digit: 0 a zero, ? a
// space (so that columns of numbers line up), # nothing.
void append_padding(char placeholder, std::string& out) {
  if (placeholder == '0') out += '0';
  if (placeholder == '?') out += ' ';
}

// Lays integer digits out over the integer placeholders, right to left; the
// first placeholder takes any digits left over.
class IntegerLayout {
 public:
  IntegerLayout(const std::string& digits, int placeholders, bool thousands)
      : digits_(digits), placeholders_(placeholders), thousands_(thousands) {}

  void append_placeholder(char placeholder, std::string& out) {
    const int size = static_cast<int>(digits_.size());
    if (next_ == 0) {
      for (int position = size - 1; position >= placeholders_; --position) append_digit(position, out);
    }
    const int position = placeholders_ - 1 - next_++;
    if (position < size || placeholder == '0') {
      append_digit(position, out);
    } else {
      append_padding(placeholder, out);
    }
  }

  // For codes without integer placeholders (".00"): the digits still show.
  void append_all(std::string& out) {
    for (int position = static_cast<int>(digits_.size()) - 1; position >= 0; --position) append_digit(position, out);
  }

 private:
  void append_digit(int position, std::string& out) {
    const int size = static_cast<int>(digits_.size());
    out += position < size ? digits_[static_cast<std::size_t>(size - 1 - position)] : '0';
    if (thousands_ && position > 0 && position % 3 == 0) out += ',';
  }

  const std::string& digits_;
  int placeholders_;
  bool thousands_;
  int next_ = 0;
};

// Fraction digits: trailing zeros over # vanish and over ? become spaces.
void append_fraction_digit(char placeholder, int index, const std::string& digits, int last_nonzero,
                           std::string& out) {
  if (index <= last_nonzero) {
    out += digits[static_cast<std::size_t>(index)];
  } else {
    append_padding(placeholder, out);
  }
}

int last_nonzero_digit(const std::string& digits) {
  int last = static_cast<int>(digits.size()) - 1;
  while (last >= 0 && digits[static_cast<std::size_t>(last)] == '0') --last;
  return last;
}

bool shows_decimals(const Section& section, int last_nonzero) {
  if (last_nonzero >= 0) return true;
  for (const Token& token : section.tokens) {
    if (is_digit(token, DigitPart::decimal) && token.text[0] != '#') return true;
  }
  return false;
}

double scaled(const Section& section, double magnitude) {
  if (section.percent) magnitude *= 100;
  for (int i = 0; i < section.scale_thousands && magnitude != 0; ++i) magnitude /= 1000;
  return magnitude;
}

bool is_zero(const std::string& integer_digits, const std::string& fraction_digits) {
  return integer_digits.empty() && fraction_digits.find_first_not_of('0') == std::string::npos;
}

void append_tokens_plain(const Section& section, double magnitude, std::string& out) {
  for (const Token& token : section.tokens) {
    if (token.kind == TokenKind::general) {
      append_general(magnitude, out);
    } else if (token.kind != TokenKind::digit) {
      out += token.text;
    }
  }
}

void append_fixed(const Section& section, double magnitude, bool minus, std::string& out) {
  std::string integer_digits;
  std::string fraction_digits;
  fixed_digits(to_decimal_digits(magnitude), 0, section.fraction_digits, integer_digits, fraction_digits);
  if (minus && !is_zero(integer_digits, fraction_digits)) out += '-';
  const int integer_placeholders = count_digits(section, DigitPart::integer);
  IntegerLayout layout(integer_digits, integer_placeholders, section.thousands);
  const int last_nonzero = last_nonzero_digit(fraction_digits);
  const bool point_shown = shows_decimals(section, last_nonzero);
  bool integer_shown = integer_placeholders > 0;
  int fraction_index = 0;
  for (const Token& token : section.tokens) {
    switch (token.kind) {
      case TokenKind::digit:
        if (token.part == DigitPart::integer) {
          layout.append_placeholder(token.text[0], out);
        } else {
          append_fraction_digit(token.text[0], fraction_index++, fraction_digits, last_nonzero, out);
        }
        break;
      case TokenKind::decimal_point:
        // Without integer placeholders the integer digits go before the
        // first point, once.
        if (!integer_shown) layout.append_all(out);
        integer_shown = true;
        if (point_shown) out += '.';
        break;
      case TokenKind::general:
        append_general(magnitude, out);
        break;
      default:
        out += token.text;
    }
  }
}

int floor_div(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The digits of a scientific code: the mantissa's integer and fraction
// digits and the exponent.
struct ScientificDigits {
  std::string integer_digits;
  std::string fraction_digits;
  int exponent = 0;
};

ScientificDigits scientific_digits(const Section& section, double magnitude) {
  const int integer_placeholders = std::max(count_digits(section, DigitPart::integer), 1);
  bool engineering = false;  // ##0.0E+0: exponents in steps of the integer width
  for (const Token& token : section.tokens) {
    if (is_digit(token, DigitPart::integer) && token.text[0] == '#') engineering = integer_placeholders > 1;
  }
  const DecimalDigits number = to_decimal_digits(magnitude);
  ScientificDigits result;
  if (number.count == 0) {
    result.fraction_digits.assign(static_cast<std::size_t>(section.fraction_digits), '0');
    return result;
  }
  int exponent = engineering ? floor_div(number.exponent, integer_placeholders) * integer_placeholders
                             : number.exponent - (integer_placeholders - 1);
  fixed_digits(number, -exponent, section.fraction_digits, result.integer_digits, result.fraction_digits);
  // 9.999 rounding up to 10.00 moves the exponent on.
  const int width = engineering ? number.exponent - exponent + 1 : integer_placeholders;
  if (static_cast<int>(result.integer_digits.size()) > width) {
    exponent += engineering ? integer_placeholders : 1;
    fixed_digits(number, -exponent, section.fraction_digits, result.integer_digits, result.fraction_digits);
  }
  result.exponent = exponent;
  return result;
}

// The exponent's digits, at least as many as it has placeholders.
void append_exponent_digits(int exponent, int width, std::string& out) {
  const std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
  if (static_cast<int>(digits.size()) < width) out.append(static_cast<std::size_t>(width) - digits.size(), '0');
  out += digits;
}

void append_scientific(const Section& section, double magnitude, bool minus, std::string& out) {
  const ScientificDigits number = scientific_digits(section, magnitude);
  if (minus && !is_zero(number.integer_digits, number.fraction_digits)) out += '-';
  IntegerLayout layout(number.integer_digits, count_digits(section, DigitPart::integer), false);
  const int last_nonzero = last_nonzero_digit(number.fraction_digits);
  const bool point_shown = shows_decimals(section, last_nonzero);
  int fraction_index = 0;
  bool exponent_shown = false;
  for (const Token& token : section.tokens) {
    switch (token.kind) {
      case TokenKind::digit:
        if (token.part == DigitPart::integer) {
          layout.append_placeholder(token.text[0], out);
        } else if (token.part == DigitPart::decimal) {
          append_fraction_digit(token.text[0], fraction_index++, number.fraction_digits, last_nonzero, out);
        } else if (!exponent_shown) {
          append_exponent_digits(number.exponent, count_digits(section, DigitPart::exponent), out);
          exponent_shown = true;
        }
        break;
      case TokenKind::decimal_point:
        if (point_shown) out += '.';
        break;
      case TokenKind::exponent:
        out += token.text[0];
        if (number.exponent < 0) {
          out += '-';
        } else if (token.text[1] == '+') {
          out += '+';
        }
        break;
      default:
        out += token.text;
    }
  }
}

struct Fraction {
  double whole = 0;
  std::int64_t numerator = 0;
  std::int64_t denominator = 1;
};

// The closest fraction with a denominator of at most `largest`: the last
// convergent of the continued fraction within the bound, or the
// semiconvergent after it when that is closer.
Fraction closest_fraction(double value, std::int64_t largest) {
  std::int64_t p0 = 0, q0 = 1, p1 = 1, q1 = 0;
  double rest = value;
  for (int step = 0; step < 64; ++step) {
    const double whole = std::floor(rest);
    // The next denominator q0 + a * q1 would pass the bound.
    if (q1 > 0 && whole > static_cast<double>((largest - q0) / q1)) break;
    const auto a = static_cast<std::int64_t>(whole);
    const std::int64_t q2 = q0 + a * q1;
    const std::int64_t p2 = p0 + a * p1;
    p0 = p1, q0 = q1, p1 = p2, q1 = q2;
    const double fraction = rest - whole;
    if (fraction < 1e-12) break;
    rest = 1 / fraction;
  }
  Fraction best;
  best.numerator = p1;
  best.denominator = q1;
  const std::int64_t k = (largest - q0) / q1;
  const std::int64_t semi_p = p0 + k * p1;
  const std::int64_t semi_q = q0 + k * q1;
  const double best_error = std::fabs(value - static_cast<double>(p1) / static_cast<double>(q1));
  const double semi_error = std::fabs(value - static_cast<double>(semi_p) / static_cast<double>(semi_q));
  if (semi_error < best_error) {
    best.numerator = semi_p;
    best.denominator = semi_q;
  }
  return best;
}

// What a fraction code allows: a whole part or not, and a fixed
// denominator ("?/8") or the largest one its placeholders hold (9 for "?/?",
// 99 for "??/??", at most 99999).
struct FractionCode {
  int whole_placeholders = 0;
  std::int64_t fixed_denominator = 0;  // 0: the denominator is free
  std::int64_t largest_denominator = 0;
};

FractionCode fraction_code_of(const Section& section) {
  FractionCode code;
  code.whole_placeholders = count_digits(section, DigitPart::integer);
  for (const Token& token : section.tokens) {
    if (token.kind == TokenKind::fraction_denominator) code.fixed_denominator = token.denominator;
  }
  code.largest_denominator = code.fixed_denominator;
  if (code.largest_denominator == 0) {
    const int placeholders = count_digits(section, DigitPart::denominator);
    code.largest_denominator = 9;
    for (int i = 1; i < placeholders && i < 5; ++i) code.largest_denominator = code.largest_denominator * 10 + 9;
  }
  return code;
}

// The fraction shown for `magnitude`: with a whole part where the code has
// one (a numerator that reaches the denominator carries into it), else all
// of it in the numerator.
Fraction fraction_of(const FractionCode& code, double magnitude) {
  const double whole = code.whole_placeholders > 0 ? std::floor(magnitude) : 0;
  const double rest = magnitude - whole;
  Fraction fraction;
  if (code.fixed_denominator > 0) {
    fraction.numerator = std::llround(rest * static_cast<double>(code.fixed_denominator));
    fraction.denominator = code.fixed_denominator;
  } else {
    fraction = closest_fraction(rest, code.largest_denominator);
  }
  fraction.whole = whole;
  if (code.whole_placeholders > 0 && fraction.numerator == fraction.denominator) {
    fraction.whole += 1;
    fraction.numerator = 0;
  }
  return fraction;
}

// Lays numerator and denominator out over their placeholders. Where a whole
// number has no fraction, both (and the slash) show as spaces.
class FractionLayout {
 public:
  FractionLayout(const Section& section, const Fraction& fraction, bool no_fraction)
      : numerator_(std::to_string(fraction.numerator)),
        denominator_(std::to_string(fraction.denominator)),
        numerator_placeholders_(count_digits(section, DigitPart::numerator)),
        numerator_left_(numerator_placeholders_),
        no_fraction_(no_fraction) {}

  // Right-aligned: padding first, then the whole numerator at once.
  void append_numerator_place(char placeholder, std::string& out) {
    const int remaining = --numerator_left_;
    const int length = static_cast<int>(numerator_.size());
    if (no_fraction_) {
      out += ' ';
    } else if (remaining >= length) {
      append_padding(placeholder, out);
    } else if (remaining == std::min(length, numerator_placeholders_) - 1) {
      out += numerator_;
    }
  }

  // Left-aligned: the whole denominator at the first place.
  void append_denominator_place(char placeholder, std::string& out) {
    if (no_fraction_) {
      out += ' ';
    } else if (denominator_index_ == 0) {
      out += denominator_;
    } else if (denominator_index_ >= denominator_.size()) {
      append_padding(placeholder, out);
    }
    ++denominator_index_;
  }

  void append_slash(std::string& out) const { out += no_fraction_ ? ' ' : '/'; }

  void append_fixed_denominator(const Token& token, std::string& out) const {
    if (!no_fraction_) out += token.text;
  }

 private:
  std::string numerator_;
  std::string denominator_;
  int numerator_placeholders_;
  int numerator_left_;
  std::size_t denominator_index_ = 0;
  bool no_fraction_;
};

void append_fraction_tokens(const Section& section, const Fraction& fraction, bool no_fraction, std::string& out) {
  std::string whole_digits;
  if (fraction.whole != 0) {
    std::string unused;
    fixed_digits(to_decimal_digits(fraction.whole), 0, 0, whole_digits, unused);
  } else if (no_fraction) {
    whole_digits = "0";
  }
  IntegerLayout whole(whole_digits, count_digits(section, DigitPart::integer), section.thousands);
  FractionLayout layout(section, fraction, no_fraction);
  for (const Token& token : section.tokens) {
    if (is_digit(token, DigitPart::integer)) {
      whole.append_placeholder(token.text[0], out);
    } else if (is_digit(token, DigitPart::numerator)) {
      layout.append_numerator_place(token.text[0], out);
    } else if (is_digit(token, DigitPart::denominator)) {
      layout.append_denominator_place(token.text[0], out);
    } else if (token.kind == TokenKind::fraction_slash) {
      layout.append_slash(out);
    } else if (token.kind == TokenKind::fraction_denominator) {
      layout.append_fixed_denominator(token, out);
    } else {
      out += token.text;  // the point too: a fraction has no decimals
    }
  }
}

void append_fraction(const Section& section, double magnitude, bool minus, std::string& out) {
  const FractionCode code = fraction_code_of(section);
  // Past 15 digits a double holds no fraction to show; and numerators stay
  // within 64 bits.
  if (magnitude >= 1e15 || magnitude * static_cast<double>(code.largest_denominator) >= 1e18) {
    if (minus) out += '-';
    append_general(magnitude, out);
    return;
  }
  const Fraction fraction = fraction_of(code, magnitude);
  const bool no_fraction = code.whole_placeholders > 0 && fraction.numerator == 0;
  if (minus && (fraction.whole != 0 || fraction.numerator != 0)) out += '-';
  append_fraction_tokens(section, fraction, no_fraction, out);
}

}  // namespace

void append_number(const Section& section, double magnitude, bool minus, std::string& out) {
  const bool has_digits = count_digits(section, DigitPart::integer) + count_digits(section, DigitPart::decimal) > 0;
  const double unscaled = magnitude;
  magnitude = scaled(section, magnitude);
  if (!std::isfinite(magnitude)) {
    // A percent of a number near the largest double has no double: the
    // number shows as General rather than as a wrong zero.
    if (minus) out += '-';
    append_general(unscaled, out);
    return;
  }
  if (section.has_fraction) {
    append_fraction(section, magnitude, minus, out);
  } else if (section.has_exponent) {
    append_scientific(section, magnitude, minus, out);
  } else if (has_digits) {
    append_fixed(section, magnitude, minus, out);
  } else {
    if (minus && magnitude != 0) out += '-';
    append_tokens_plain(section, magnitude, out);
  }
}

}  // namespace sheetlib::format
