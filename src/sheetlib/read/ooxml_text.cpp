#include "sheetlib/read/ooxml_text.h"

#include <algorithm>

#include "text/encoding.h"
#include "text/unicode.h"

namespace sheetlib {

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The code unit of an escape at text[at] ("_xHHHH_"), or -1.
int escape_at(std::string_view text, std::size_t at) {
  if (at + 7 > text.size() || text[at] != '_' || (text[at + 1] != 'x' && text[at + 1] != 'X') || text[at + 6] != '_')
    return -1;
  int unit = 0;
  for (std::size_t i = at + 2; i < at + 6; ++i) {
    const int digit = hex_value(text[i]);
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

}  // namespace

std::string decode_escapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const int unit = text[at] == '_' ? escape_at(text, at) : -1;
    if (unit < 0) {
      out.push_back(text[at++]);
      continue;
    }
    at += 7;
    std::uint32_t code = static_cast<std::uint32_t>(unit);
    if (code >= 0xD800 && code <= 0xDBFF) {
      const int low = escape_at(text, at);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<std::uint32_t>(low) - 0xDC00);
        at += 7;
      } else {
        code = 0xFFFD;
      }
    } else if (code >= 0xDC00 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    colsplit::append_utf8(out, code);
  }
  return out;
}

bool store_package_text(CellGrid::Storage& storage, std::string_view utf8, std::uint32_t& offset,
                        std::uint32_t& length, const CellValue* value) {
  if (utf8.find("_x") == std::string_view::npos && utf8.find("_X") == std::string_view::npos)
    return store_utf8_text(storage, utf8, offset, length, value);
  return store_utf8_text(storage, decode_escapes(utf8), offset, length, value);
}

}  // namespace sheetlib
