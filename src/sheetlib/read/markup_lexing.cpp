#include "sheetlib/read/markup_lexing.h"

#include <cstring>

#include "text/unicode.h"

namespace sheetlib::markup {

namespace {

// The bytes that end a run of plain bytes in an attribute value and in
// text: the quotes, the markup characters, the controls, and the first
// byte of every multi-byte UTF-8 sequence.
struct ByteClasses {
  bool value[256] = {};
  bool text[256] = {};
  constexpr ByteClasses() {
    for (int c = 0; c < 256; ++c) {
      const bool other = c < 0x20 || c >= 0x80 || c == '&';
      value[c] = other || c == '"' || c == '\'' || c == '<';
      text[c] = other || c == '>';
    }
  }
};
constexpr ByteClasses kByteClasses;

const char* skip_plain(const char* p, const char* end, const bool (&special)[256]) {
  while (p < end && !special[static_cast<unsigned char>(*p)]) ++p;
  return p;
}

bool is_xml_char(std::uint32_t code) {
  return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
         (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// The character of a reference's name ("amp", "#65", "#x41"); false when it
// names none, or one that XML does not allow.
bool resolve_reference(std::string_view name, std::string& out) {
  if (name == "lt") return out.push_back('<'), true;
  if (name == "gt") return out.push_back('>'), true;
  if (name == "amp") return out.push_back('&'), true;
  if (name == "quot") return out.push_back('"'), true;
  if (name == "apos") return out.push_back('\''), true;
  if (name.size() < 2 || name[0] != '#') return false;
  const bool hex = name[1] == 'x';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty()) return false;
  std::uint32_t code = 0;
  for (const char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    if (code > 0x10FFFF) return false;
  }
  if (!is_xml_char(code)) return false;
  colsplit::append_utf8(out, code);
  return true;
}

}  // namespace

bool read_start_tag(const char*& p, const char* end, StartTag& tag) {
  if (!read_name(p, end, tag.qualified, tag.local)) return false;
  tag.count = 0;
  for (;;) {
    const char* before = p;
    p = skip_spaces(p, end);
    if (p >= end) return false;
    if (*p == '>') {
      ++p;
      tag.empty = false;
      return true;
    }
    if (*p == '/') {
      if (end - p < 2 || p[1] != '>') return false;
      p += 2;
      tag.empty = true;
      return true;
    }
    // Attributes are set apart by white space.
    if (p == before || tag.count == kMostAttributes) return false;
    Attribute& attribute = tag.attributes[tag.count];
    std::string_view local;
    if (!read_name(p, end, attribute.name, local)) return false;
    if (attribute.name[0] == 'x' && attribute.name.substr(0, 5) == "xmlns" &&
        (attribute.name.size() == 5 || attribute.name[5] == ':'))
      return false;
    for (int i = 0; i < tag.count; ++i)
      if (same_name(tag.attributes[i].name, attribute.name)) return false;
    p = skip_spaces(p, end);
    if (p >= end || *p != '=') return false;
    p = skip_spaces(p + 1, end);
    if (p >= end || (*p != '"' && *p != '\'')) return false;
    const char quote = *p++;
    const char* close = p;
    attribute.plain = true;
    for (;;) {
      close = skip_plain(close, end, kByteClasses.value);
      if (close >= end) return false;
      const auto byte = static_cast<unsigned char>(*close);
      if (byte == static_cast<unsigned char>(quote)) break;
      if (byte >= 0x80) {
        const std::size_t length = utf8_length(close, end);
        if (length == 0) return false;
        close += length;
        continue;
      }
      if (byte == '<' || byte == '&') return false;
      if (byte < 0x20) {
        if (byte != '\t' && byte != '\n' && byte != '\r') return false;
        attribute.plain = false;
      }
      ++close;  // a control allowed, or the other quote
    }
    attribute.value = std::string_view(p, static_cast<std::size_t>(close - p));
    p = close + 1;
    ++tag.count;
  }
}

bool check_text(const char* begin, const char* end, std::uint64_t& items, bool& plain) {
  items = 1;
  plain = true;
  for (const char* c = begin;; ++c) {
    c = skip_plain(c, end, kByteClasses.text);
    if (c >= end) return true;
    const auto byte = static_cast<unsigned char>(*c);
    if (byte >= 0x80) {
      const std::size_t length = utf8_length(c, end);
      if (length == 0) return false;
      c += length - 1;
      continue;
    }
    if (byte < 0x20) {
      if (byte == '\r') plain = false;
      else if (byte != '\n' && byte != '\t') return false;
      if (byte != '\t') items += 2;
    } else if (byte == '&') {
      plain = false;
      items += 2;
    } else if (byte == '>' && c - begin >= 2 && c[-1] == ']' && c[-2] == ']') {
      return false;  // "]]>" may not stand in text
    }
  }
}

bool decode_text(const char* p, const char* end, std::string& out) {
  while (p < end) {
    const char* special = p;
    while (special < end && *special != '&' && *special != '\r') ++special;
    out.append(p, special);
    if (special == end) break;
    if (*special == '\r') {
      out.push_back('\n');
      p = special + 1;
      if (p < end && *p == '\n') ++p;
      continue;
    }
    const auto* semicolon =
        static_cast<const char*>(std::memchr(special + 1, ';', static_cast<std::size_t>(end - special - 1)));
    if (!semicolon) return false;
    if (!resolve_reference(std::string_view(special + 1, static_cast<std::size_t>(semicolon - special - 1)), out))
      return false;
    p = semicolon + 1;
  }
  return true;
}

bool declares_utf8_or_nothing(std::string_view part) {
  if (part.starts_with("\xEF\xBB\xBF")) part.remove_prefix(3);
  if (part.size() >= 2 && (part[0] == '\xFE' || part[0] == '\xFF' || part[0] == '\0' || part[1] == '\0'))
    return false;
  if (part.size() < 6 || !part.starts_with("<?xml") || !is_space(part[5])) return true;
  const std::size_t close = part.find("?>");
  if (close == std::string_view::npos) return false;
  const char* const end = part.data() + close;
  const std::size_t at = part.substr(0, close).find("encoding");
  if (at == std::string_view::npos) return true;
  const char* p = skip_spaces(part.data() + at + 8, end);
  if (p >= end || *p != '=') return false;
  p = skip_spaces(p + 1, end);
  if (p >= end || (*p != '"' && *p != '\'')) return false;
  const char quote = *p++;
  constexpr std::string_view kUtf8 = "utf-8";
  if (end - p <= static_cast<std::ptrdiff_t>(kUtf8.size()) || p[kUtf8.size()] != quote) return false;
  for (const char lower : kUtf8) {
    const char c = *p++;
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != lower) return false;
  }
  return true;
}

}  // namespace sheetlib::markup
