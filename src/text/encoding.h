// Conversions between GBK (code page 936), UTF-8 and, on Windows, UTF-16.
// Conversions never fail: a byte sequence that is not valid in the source
// encoding, and a character that the target encoding lacks, become '?'.
#pragma once

#include <string>
#include <string_view>

namespace colsplit {

std::string gbk_to_utf8(std::string_view gbk);
std::string utf8_to_gbk(std::string_view utf8);

// True when every byte is below 0x80: such a text is the same in GBK and UTF-8.
bool is_ascii(std::string_view text);

#ifdef _WIN32
std::wstring gbk_to_wide(std::string_view gbk);
std::string wide_to_gbk(std::wstring_view wide);
std::wstring utf8_to_wide(std::string_view utf8);
std::string wide_to_utf8(std::wstring_view wide);
#endif

}  // namespace colsplit
