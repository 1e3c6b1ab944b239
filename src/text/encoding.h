// Conversions between the program's texts (see gb18030.h: Windows' code
// page 936, with GB18030 four-byte sequences for every other character),
// UTF-8 and UTF-16. Every crossing goes through these, natively and on
// Windows alike: no character is lost on the way, and a text that round-trips
// comes back byte for byte. Conversions never fail: ill-formed input (bytes
// that are no UTF-8, an unpaired surrogate, a broken sequence in a text)
// becomes U+FFFD, and the rest of the input is converted as usual.
#pragma once

#include <string>
#include <string_view>

namespace colsplit {

std::string gbk_to_utf8(std::string_view gbk);

// gbk_to_utf8's bytes written at `out`, which has room for
// kUtf8BytesPerGbkByte bytes for every byte of `gbk` (a stray byte becomes
// the three bytes of U+FFFD); returns the end of what it wrote.
inline constexpr std::size_t kUtf8BytesPerGbkByte = 3;
char* write_gbk_as_utf8(std::string_view gbk, char* out);
std::string utf8_to_gbk(std::string_view utf8);

// utf8_to_gbk's bytes written at `out`, which has room for
// kGbkBytesPerUtf8Byte bytes for every byte of `utf8` (a stray byte
// becomes the four bytes of U+FFFD); returns the end of what it wrote. For
// callers that convert many short texts into a buffer of their own.
inline constexpr std::size_t kGbkBytesPerUtf8Byte = 4;
char* write_utf8_as_gbk(std::string_view utf8, char* out);

std::u16string gbk_to_utf16(std::string_view gbk);
std::string utf16_to_gbk(std::u16string_view utf16);

// True when every byte is below 0x80: such a text is the same in every one
// of these encodings but UTF-16.
bool is_ascii(std::string_view text);

// The text's length in UTF-16 units, the characters that Windows' names
// and spreadsheet applications count (a character above U+FFFF is two).
std::size_t utf16_units(std::string_view gbk);

#ifdef _WIN32
std::wstring gbk_to_wide(std::string_view gbk);
std::string wide_to_gbk(std::wstring_view wide);
std::wstring utf8_to_wide(std::string_view utf8);
std::string wide_to_utf8(std::wstring_view wide);
#endif

}  // namespace colsplit
