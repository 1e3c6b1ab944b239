#include "sheetlib/write/sheet_name.h"

#include <string_view>

#include "text/letter_case.h"
#include "text/unicode.h"

namespace sheetlib {

bool is_valid_sheet_name(std::string_view utf8) {
  if (utf8.empty() || utf8.front() == '\'' || utf8.back() == '\'') return false;
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t c = colsplit::next_utf8(utf8, pos);
    if (c < 0x20) return false;
    switch (c) {
      case U':': case U'\\': case U'/': case U'?': case U'*': case U'[': case U']':
        return false;
      default:
        break;
    }
    units += colsplit::utf16_length(c);
  }
  return units <= 31;
}

bool same_sheet_name(std::string_view utf8_a, std::string_view utf8_b) {
  std::size_t a = 0;
  std::size_t b = 0;
  while (a < utf8_a.size() && b < utf8_b.size()) {
    if (colsplit::upper_case(colsplit::next_utf8(utf8_a, a)) != colsplit::upper_case(colsplit::next_utf8(utf8_b, b)))
      return false;
  }
  return a == utf8_a.size() && b == utf8_b.size();
}

}  // namespace sheetlib
