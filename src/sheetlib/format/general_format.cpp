#include "sheetlib/format/decimal_digits.h"
#include "sheetlib/format/render.h"

namespace sheetlib::format {

namespace {

// Whether a number shows without an exponent: with 15 integer digits at most
// (more would show digits a double does not hold); below 1E-4 only down to
// 1E-9 and with 16 decimals at most, as LibreOffice shows them.
bool shows_plain(const DecimalDigits& number) {
  const int exponent = number.exponent;
  if (exponent > 14) return false;
  if (exponent >= -4) return true;
  const int decimals = number.count - 1 - exponent;
  return exponent >= -9 && decimals <= 16;
}

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
  if (!shows_plain(number)) {
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
