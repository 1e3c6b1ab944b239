#include "sheetlib/format/decimal_digits.h"
#include "sheetlib/format/render.h"

namespace sheetlib::format {

namespace {

// Magnitudes shown without an exponent: 15 integer digits at most (more
// would show digits a double does not hold), and down to 1E-9 as
// LibreOffice does.
constexpr int k_largest_plain_exponent = 14;
constexpr int k_smallest_plain_exponent = -9;

}  // namespace

void append_general(double value, std::string& out) {
  if (value == 0) {  // also -0
    out += '0';
    return;
  }
  if (value < 0) {
    out += '-';
    value = -value;
  }
  const DecimalDigits number = to_decimal_digits(value);
  const int exponent = number.exponent;
  if (exponent > k_largest_plain_exponent || exponent < k_smallest_plain_exponent) {
    out += number.digits[0];
    if (number.count > 1) {
      out += '.';
      out.append(number.digits + 1, static_cast<std::size_t>(number.count - 1));
    }
    out += exponent < 0 ? "E-" : "E+";
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) out += '0';
    out += std::to_string(magnitude);
    return;
  }
  if (exponent < 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out.append(number.digits, static_cast<std::size_t>(number.count));
    return;
  }
  const int integer_count = exponent + 1;
  if (number.count <= integer_count) {
    out.append(number.digits, static_cast<std::size_t>(number.count));
    out.append(static_cast<std::size_t>(integer_count - number.count), '0');
  } else {
    out.append(number.digits, static_cast<std::size_t>(integer_count));
    out += '.';
    out.append(number.digits + integer_count, static_cast<std::size_t>(number.count - integer_count));
  }
}

}  // namespace sheetlib::format
