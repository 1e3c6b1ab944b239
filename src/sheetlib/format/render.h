// The renderers of the format families, each appending to `out`.
#pragma once

#include <string>

#include "sheetlib/format/format_code.h"

namespace sheetlib::format {

// General: at most 15 significant digits, scientific notation for very large
// and very small magnitudes.
void append_general(double value, std::string& out);

// A number section, in Arabic digits (the caller writes a section's
// [DBNum] numerals); `magnitude` is not negative, `minus` asks for a leading
// minus sign (shown only when the rounded number is not zero).
void append_number(const Section& section, double magnitude, bool minus, std::string& out);

// A date or time section, in its numerals. False when the section has no
// text for the value (a negative value outside elapsed time, a date past
// 9999-12-31, a time too long to count); the caller then shows the number.
bool append_date(const Section& section, double magnitude, bool minus, bool date1904, std::string& out);

}  // namespace sheetlib::format
