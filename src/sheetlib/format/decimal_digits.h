// Numbers as decimal digits, rounded the way a spreadsheet rounds what it
// shows: first to the 15 significant digits a double holds reliably, then to
// the places the format shows. Rounding the binary value directly would show
// 2.675 as 2.67, which no spreadsheet does.
#pragma once

#include <string>

namespace sheetlib::format {

struct DecimalDigits {
  char digits[16] = {};  // significant digits, no trailing zeros
  int count = 0;         // 0 for zero
  int exponent = 0;      // value = d0.d1d2... x 10^exponent
};

// `value` must be finite and not negative.
DecimalDigits to_decimal_digits(double value);

// The digits of value x 10^shift rounded half away from zero to `decimals`
// places: the integer digits without leading zeros (empty for zero) and
// exactly `decimals` fraction digits.
void fixed_digits(const DecimalDigits& number, int shift, int decimals, std::string& integer_digits,
                  std::string& fraction_digits);

}  // namespace sheetlib::format
