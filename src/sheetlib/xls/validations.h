// The data validations of a BIFF8 sheet (DV records, after the DVAL record
// that counts them) as the sheet look keeps them: their ranges and the
// <dataValidation> markup. A validation whose formulas are not plain
// (simple_formulas.h) is left out, as is a record that ends inside its
// fields.
#pragma once

#include <string_view>

#include "sheetlib/core/sheet_look.h"

namespace sheetlib::xls {

bool read_validation(std::string_view data, RangedItem& item);

}  // namespace sheetlib::xls
