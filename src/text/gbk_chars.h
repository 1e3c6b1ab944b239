// Walking a text character by character: a byte of 0x81-0xFE and a trail
// byte after it form one double-byte character, so that a trail byte such
// as 0x5C (the backslash) is never taken for a character of its own; such a
// lead byte followed by two digits' worth of GB18030 (0x30-0x39, a lead,
// 0x30-0x39) forms one four-byte character, which the walk keeps whole.
#pragma once

#include <cstddef>
#include <string_view>

namespace colsplit {

// Length in bytes of the character that starts at `pos`: 1, 2 or 4. A byte
// that starts no whole character (a lead byte at the very end of the text
// or before a byte that cannot follow it) counts as one byte, and so do
// 0x80 and 0xFF, which are characters of their own.
inline std::size_t gbk_char_length(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const auto is_lead = [](unsigned char b) { return b >= 0x81 && b <= 0xFE; };
  const auto is_digit = [](unsigned char b) { return b >= 0x30 && b <= 0x39; };
  if (!is_lead(byte(pos)) || pos + 1 >= text.size()) return 1;
  const unsigned char second = byte(pos + 1);
  if (second >= 0x40 && second <= 0xFE && second != 0x7F) return 2;
  if (is_digit(second) && pos + 3 < text.size() && is_lead(byte(pos + 2)) && is_digit(byte(pos + 3))) return 4;
  return 1;
}

// Byte position of the first occurrence of `needle` that starts at a
// character boundary, or npos. With `ignore_ascii_case`, ASCII letters of
// single-byte characters compare without letter case.
std::size_t find_at_char_boundary(std::string_view text, std::string_view needle,
                                  bool ignore_ascii_case = false);

// Byte position of the last single-byte character `c` (an ASCII byte), or npos.
std::size_t find_last_char(std::string_view text, char c);

// The longest prefix of `text` of at most `max_bytes` bytes that ends at a
// character boundary.
std::string_view cut_at_char_boundary(std::string_view text, std::size_t max_bytes);

}  // namespace colsplit
