// The rule for sheet names that spreadsheet applications accept.
#pragma once

#include <string_view>

namespace sheetlib {

// True when a spreadsheet application accepts `utf8` as a sheet name: 1 to
// 31 characters (UTF-16 code units, as the applications count them), none of
// : \ / ? * [ ] and no control character, not starting or ending with an
// apostrophe.
bool is_valid_sheet_name(std::string_view utf8);

// True when two sheet names count as the same name: letter case does not
// matter, in any script that has it.
bool same_sheet_name(std::string_view utf8_a, std::string_view utf8_b);

}  // namespace sheetlib
