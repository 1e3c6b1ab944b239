#include "text/encoding.h"

#include <algorithm>

#include "text/gb18030.h"
#include "text/unicode.h"

namespace colsplit {

namespace {

template <typename Unit, typename Next>
std::basic_string<Unit> to_utf16(std::string_view text, Next next) {
  std::basic_string<Unit> out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
      out.push_back(static_cast<Unit>(byte));
      ++pos;
    } else {
      append_utf16(out, next(text, pos));
    }
  }
  return out;
}

// An ASCII text is made at its size at once; any other gets room for two
// bytes a unit, which a Chinese text needs.
template <typename Unit, typename Append>
std::string from_utf16(std::basic_string_view<Unit> text, Append append) {
  const bool ascii = std::all_of(text.begin(), text.end(), [](Unit unit) { return unit < 0x80; });
  if (ascii) return std::string(text.begin(), text.end());
  std::string out;
  out.reserve(text.size() * 2);
  for (std::size_t pos = 0; pos < text.size();) {
    if (text[pos] < 0x80) out.push_back(static_cast<char>(text[pos++]));
    else append(out, next_utf16(text, pos));
  }
  return out;
}

}  // namespace

bool is_ascii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::string gbk_to_utf8(std::string_view gbk) { return std::string(GbkAsUtf8(gbk).text()); }

char* write_gbk_as_utf8(std::string_view gbk, char* out) {
  for (std::size_t pos = 0; pos < gbk.size();) {
    const char byte = gbk[pos];
    if (static_cast<unsigned char>(byte) < 0x80) {
      *out++ = byte;
      ++pos;
    } else {
      out = put_utf8(out, next_gbk(gbk, pos));
    }
  }
  return out;
}

std::string utf8_to_gbk(std::string_view utf8) { return std::string(Utf8AsGbk(utf8).text()); }

char* write_utf8_as_gbk(std::string_view utf8, char* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* const end = p + utf8.size();
  const auto continues = [](unsigned char byte) { return (byte & 0xC0) == 0x80; };
  while (p < end) {
    if (*p < 0x80) {
      *out++ = static_cast<char>(*p++);
      continue;
    }
    // Most Chinese characters: three bytes led by E1-EC or EE-EF, whose
    // continuation bytes may take any value (E0 and ED narrow theirs).
    if (*p >= 0xE1 && *p <= 0xEF && *p != 0xED && end - p >= 3 && continues(p[1]) && continues(p[2])) {
      const char32_t code_point = static_cast<char32_t>((*p & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
      out = put_gbk(out, code_point);
      p += 3;
      continue;
    }
    std::size_t pos = static_cast<std::size_t>(p - reinterpret_cast<const unsigned char*>(utf8.data()));
    const char32_t code_point = next_utf8(utf8, pos);
    out = put_gbk(out, code_point);
    p = reinterpret_cast<const unsigned char*>(utf8.data()) + pos;
  }
  return out;
}

std::u16string gbk_to_utf16(std::string_view gbk) { return to_utf16<char16_t>(gbk, next_gbk); }
std::string utf16_to_gbk(std::u16string_view utf16) { return from_utf16(utf16, append_gbk); }

std::size_t utf16_units(std::string_view gbk) {
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < gbk.size();) units += utf16_length(next_gbk(gbk, pos));
  return units;
}

#ifdef _WIN32
std::wstring gbk_to_wide(std::string_view gbk) { return to_utf16<wchar_t>(gbk, next_gbk); }
std::string wide_to_gbk(std::wstring_view wide) { return from_utf16(wide, append_gbk); }
std::wstring utf8_to_wide(std::string_view utf8) { return to_utf16<wchar_t>(utf8, next_utf8); }
std::string wide_to_utf8(std::wstring_view wide) { return from_utf16(wide, append_utf8); }
#endif

}  // namespace colsplit
