#include "sheetlib/write/sheet_name.h"

#include <cstdint>
#include <string_view>

namespace sheetlib {

namespace {

// Decodes the UTF-8 character at `pos` and moves past it; malformed bytes
// come out as U+FFFD one byte at a time.
char32_t next_code_point(std::string_view text, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || pos + length > text.size()) {
    ++pos;
    return U'\uFFFD';
  }
  char32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) {
      ++pos;
      return U'\uFFFD';
    }
    code = (code << 6) | (byte(pos + i) & 0x3F);
  }
  pos += length;
  return code;
}

char32_t fold_case(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c >= U'\uFF21' && c <= U'\uFF3A') return c + 0x20;                   // full-width Latin
  if (c >= U'\u0391' && c <= U'\u03A9' && c != U'\u03A2') return c + 0x20;  // Greek
  if (c >= U'\u0410' && c <= U'\u042F') return c + 0x20;                   // Cyrillic
  if (c >= U'\u0400' && c <= U'\u040F') return c + 0x50;                   // Cyrillic Ё and the like
  if (c >= U'\u2160' && c <= U'\u216F') return c + 0x10;                   // Roman numerals
  return c;
}

}  // namespace

bool is_valid_sheet_name(std::string_view utf8) {
  if (utf8.empty() || utf8.front() == '\'' || utf8.back() == '\'') return false;
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t c = next_code_point(utf8, pos);
    if (c < 0x20) return false;
    switch (c) {
      case U':': case U'\\': case U'/': case U'?': case U'*': case U'[': case U']':
        return false;
      default:
        break;
    }
    units += c > 0xFFFF ? 2 : 1;
  }
  return units <= 31;
}

bool same_sheet_name(std::string_view utf8_a, std::string_view utf8_b) {
  std::size_t a = 0;
  std::size_t b = 0;
  while (a < utf8_a.size() && b < utf8_b.size()) {
    if (fold_case(next_code_point(utf8_a, a)) != fold_case(next_code_point(utf8_b, b))) return false;
  }
  return a == utf8_a.size() && b == utf8_b.size();
}

}  // namespace sheetlib
