// Code points in UTF-8 and UTF-16, the encodings on the far side of every
// conversion: the files hold UTF-8, Windows takes UTF-16. Decoding never
// fails: every ill-formed piece becomes one U+FFFD, and decoding goes on
// with the byte (or unit) after it, so that nothing after a broken spot is
// lost.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace colsplit {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// ---- UTF-8 ----

// The code point at `pos`, moving `pos` past it. An ill-formed sequence
// (a stray continuation byte, an overlong form, a surrogate, a value above
// U+10FFFF, a sequence cut short) yields U+FFFD for its longest well-formed
// start, at least one byte.
char32_t next_utf8(std::string_view text, std::size_t& pos);

// Bytes that next_utf8 would take at `pos` (1 to 4).
std::size_t utf8_char_length(std::string_view text, std::size_t pos);

// Appends the code point (U+FFFD for a surrogate or a value above U+10FFFF).
void append_utf8(std::string& out, char32_t code_point);
// Writes the bytes append_utf8 appends at `out`, which has room for four;
// returns the end of what it wrote.
char* put_utf8(char* out, char32_t code_point);

// Bytes that append_utf8 writes for the code point.
constexpr std::size_t utf8_length(char32_t code_point) {
  return code_point < 0x80 ? 1 : code_point < 0x800 ? 2 : code_point < 0x10000 ? 3 : 4;
}

// ---- UTF-16 ----

// Units that append_utf16 writes for the code point: a code point above the
// Basic Multilingual Plane takes a surrogate pair.
constexpr std::size_t utf16_length(char32_t code_point) { return code_point > 0xFFFF ? 2 : 1; }

// The code point at `pos`, moving `pos` past it; an unpaired surrogate is
// U+FFFD. Unit is char16_t, or wchar_t on Windows.
template <typename Unit>
char32_t next_utf16(std::basic_string_view<Unit> text, std::size_t& pos) {
  const char32_t unit = static_cast<char16_t>(text[pos++]);
  if (unit < 0xD800 || unit > 0xDFFF) return unit;
  if (unit <= 0xDBFF && pos < text.size()) {
    const char32_t low = static_cast<char16_t>(text[pos]);
    if (low >= 0xDC00 && low <= 0xDFFF) {
      ++pos;
      return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  return kReplacementCharacter;
}

template <typename Unit>
void append_utf16(std::basic_string<Unit>& out, char32_t code_point) {
  if ((code_point >= 0xD800 && code_point <= 0xDFFF) || code_point > 0x10FFFF) code_point = kReplacementCharacter;
  if (code_point < 0x10000) {
    out.push_back(static_cast<Unit>(code_point));
    return;
  }
  code_point -= 0x10000;
  out.push_back(static_cast<Unit>(0xD800 + (code_point >> 10)));
  out.push_back(static_cast<Unit>(0xDC00 + (code_point & 0x3FF)));
}

}  // namespace colsplit
