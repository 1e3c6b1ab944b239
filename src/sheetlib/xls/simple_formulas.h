// The formulas of validations and conditional formats as text, for those
// that are plain: one constant (a number, possibly negated, a text, a
// boolean) or one reference to a cell or an area of the sheet. Anything
// else is not decoded, and the item holding it is left out.
#pragma once

#include <string>
#include <string_view>

namespace sheetlib::xls {

// Writes the formula's text (without "=") into `text`; false when the
// tokens are not one of the plain forms.
bool decode_simple_formula(std::string_view rgce, std::string& text);

}  // namespace sheetlib::xls
