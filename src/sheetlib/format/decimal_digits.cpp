#include "sheetlib/format/decimal_digits.h"

#include <charconv>

namespace sheetlib::format {

namespace {

constexpr int k_significant_digits = 15;

}  // namespace

DecimalDigits to_decimal_digits(double value) {
  DecimalDigits number;
  if (value == 0) return number;
  // The shortest digits that read back as the same double (std::to_chars
  // ignores the C locale), rounded half up to 15: 17824341228555.45 is
  // stored as ...555.449..., and shows as ...555.5 as it was written.
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  char digits[24];
  int count = 0;
  const char* p = buffer;
  for (; p != result.ptr && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9' && count < 24) digits[count++] = *p;
  }
  if (p != result.ptr) std::from_chars(*(p + 1) == '+' ? p + 2 : p + 1, result.ptr, number.exponent);
  if (count > k_significant_digits) {
    const bool up = digits[k_significant_digits] >= '5';
    count = k_significant_digits;
    if (up) {
      int i = count;
      while (i > 0 && digits[i - 1] == '9') --i;
      if (i == 0) {
        digits[0] = '1';
        count = 1;
        ++number.exponent;
      } else {
        ++digits[i - 1];
        count = i;
      }
    }
  }
  while (count > 0 && digits[count - 1] == '0') --count;
  for (int i = 0; i < count; ++i) number.digits[i] = digits[i];
  number.count = count;
  return number;
}

void fixed_digits(const DecimalDigits& number, int shift, int decimals, std::string& integer_digits,
                  std::string& fraction_digits) {
  const int exponent = number.exponent + shift;
  const int top = exponent > 0 ? exponent : 0;
  // One character per decimal place, from 10^top down to 10^-decimals.
  std::string places(static_cast<std::size_t>(top + decimals + 1), '0');
  for (int i = 0; i < number.count; ++i) {
    const int place = exponent - i;
    if (place < -decimals) break;
    places[static_cast<std::size_t>(top - place)] = number.digits[i];
  }
  const int rounding_digit = exponent + decimals + 1;
  if (rounding_digit >= 0 && rounding_digit < number.count && number.digits[rounding_digit] >= '5') {
    std::size_t i = places.size();
    while (i > 0 && places[i - 1] == '9') places[--i] = '0';
    if (i == 0) {
      places.insert(places.begin(), '1');
    } else {
      ++places[i - 1];
    }
  }
  const std::size_t integer_end = places.size() - static_cast<std::size_t>(decimals);
  std::size_t first = 0;
  while (first < integer_end && places[first] == '0') ++first;
  integer_digits.assign(places, first, integer_end - first);
  fraction_digits.assign(places, integer_end, std::string::npos);
}

}  // namespace sheetlib::format
