// One character of the program's texts. A text holds every character that
// Windows' code page 936 has in that code page's bytes (ASCII as one byte,
// the euro sign as the single byte 0x80 and the private-use U+F8F5 as 0xFF,
// everything else as two bytes:
// a lead 0x81-0xFE and a trail 0x40-0xFE other than 0x7F), exactly the
// bytes the system's own conversion gives them, and every other Unicode
// character as a GB18030 four-byte sequence (bytes 0x81-0xFE, 0x30-0x39,
// 0x81-0xFE, 0x30-0x39). A four-byte sequence holds no byte below 0x30, so
// no backslash, dot or other ASCII punctuation appears inside a character.
// The tables are the system's data, carried here, so that the conversion is
// the same natively, under Wine (which has no GB18030 code page) and on any
// Windows, whatever its code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace colsplit {

// The code point of the character at `pos`, moving `pos` past it by the
// length that gbk_char_length gives. A byte that starts no character, a
// sequence cut short and a four-byte sequence that stands for nothing are
// U+FFFD.
char32_t next_gbk(std::string_view text, std::size_t& pos);

// Appends the character's bytes. A surrogate or a value above U+10FFFF is
// written as U+FFFD (84 31 A4 37).
void append_gbk(std::string& out, char32_t code_point);

// The most bytes a character takes.
inline constexpr std::size_t kLongestGbkCharacter = 4;

// Writes the character's bytes, as append_gbk appends them, at `out`, which
// has room for kLongestGbkCharacter; returns the end of what it wrote.
char* put_gbk(char* out, char32_t code_point);

}  // namespace colsplit
