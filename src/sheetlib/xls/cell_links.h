// The hyperlinks of a BIFF8 sheet: HLINK records (a cell range and a
// serialized link: an address in a URL or file moniker, a place in the
// workbook, a display text) and the HLINKTOOLTIP records after them.
// Links of another kind of moniker are left out, as is a record that ends
// inside its fields.
#pragma once

#include <string>
#include <string_view>

#include "sheetlib/core/sheet_look.h"

namespace sheetlib::xls {

// Reads an HLINK record; false when it cannot be read or links nowhere.
bool read_hyperlink(std::string_view data, CellLink& link);

// Reads an HLINKTOOLTIP record: the range it belongs to and its text.
bool read_link_tooltip(std::string_view data, MergedRange& range, std::string& tooltip);

}  // namespace sheetlib::xls
