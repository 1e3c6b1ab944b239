// Walking a GBK text character by character: a byte of 0x80 or above and the
// byte after it form one double-byte character, so that a trail byte such as
// 0x5C (the backslash) is never taken for a character of its own.
#pragma once

#include <cstddef>
#include <string_view>

namespace colsplit {

// Length in bytes of the character that starts at `pos` (1 or 2; a lead byte
// at the very end of the text counts as one byte).
std::size_t gbk_char_length(std::string_view text, std::size_t pos);

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
