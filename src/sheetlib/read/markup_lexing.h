// The pieces of XML that our own scanners of the parts holding the cells
// (the rows of a worksheet, the items of the shared strings) read without
// expat: names, start tags, text and its references. Each reads only what
// every writer of those parts writes, checks it as expat would, and says
// false at anything else (the part then goes to expat whole).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace sheetlib::markup {

inline bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// What each byte may be in the names the scanners read: 1 a name's first
// character, 2 one after it.
struct NameBytes {
  std::uint8_t kind[256] = {};
  constexpr NameBytes() {
    for (int c = 0; c < 256; ++c) {
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_') kind[c] = 1;
      else if ((c >= '0' && c <= '9') || c == '-' || c == '.') kind[c] = 2;
    }
  }
};
inline constexpr NameBytes kNameBytes;

inline bool is_name_start(char c) { return kNameBytes.kind[static_cast<unsigned char>(c)] == 1; }
inline bool is_name_char(char c) { return kNameBytes.kind[static_cast<unsigned char>(c)] != 0; }

// Names are a few bytes: compared here, not through a call to memcmp.
inline bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// The first `c` at or after p, or end. Most text between tags is a few
// bytes, for which memchr's call costs more than the look.
inline const char* find_byte(const char* p, const char* end, char c) {
  const char* first_bytes_end = end - p > 16 ? p + 16 : end;
  for (; p < first_bytes_end; ++p)
    if (*p == c) return p;
  if (p == end) return end;
  const void* found = std::memchr(p, c, static_cast<std::size_t>(end - p));
  return found ? static_cast<const char*>(found) : end;
}

inline const char* skip_spaces(const char* p, const char* end) {
  while (p < end && is_space(*p)) ++p;
  return p;
}

// The length of the UTF-8 sequence at p, whose first byte is 0x80 or above;
// 0 when it is malformed, overlong, a surrogate, past U+10FFFF, or U+FFFE or
// U+FFFF, none of which expat lets through.
inline std::size_t utf8_length(const char* p, const char* end) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(p[i]); };
  const auto follows = [&](std::size_t i) { return p + i < end && (byte(i) & 0xC0) == 0x80; };
  const unsigned char lead = byte(0);
  if (lead >= 0xC2 && lead <= 0xDF) return follows(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (!follows(1) || !follows(2)) return 0;
    if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) > 0x9F)) return 0;
    if (lead == 0xEF && byte(1) == 0xBF && byte(2) >= 0xBE) return 0;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (!follows(1) || !follows(2) || !follows(3)) return 0;
    if ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) > 0x8F)) return 0;
    return 4;
  }
  return 0;
}

// An ASCII name with at most one colon, inside it. XML allows more (other
// letters, more colons); the scanners decline those.
inline bool read_name(const char*& p, const char* end, std::string_view& qualified, std::string_view& local) {
  const char* begin = p;
  const char* local_begin = p;
  if (p >= end || !is_name_start(*p)) return false;
  while (++p < end && is_name_char(*p)) {
  }
  if (p < end && *p == ':') {
    local_begin = ++p;
    if (p >= end || !is_name_start(*p)) return false;
    while (++p < end && is_name_char(*p)) {
    }
  }
  qualified = std::string_view(begin, static_cast<std::size_t>(p - begin));
  local = std::string_view(local_begin, static_cast<std::size_t>(p - local_begin));
  return true;
}

// More attributes than this on one tag: not markup that any writer makes of
// cells, and checking each for a repeat costs as their square.
constexpr int kMostAttributes = 16;

struct Attribute {
  std::string_view name;
  std::string_view value;
  bool plain;  // no tab or line break, which expat would turn into spaces
};

// A start tag as read: its name and attributes as views of the text.
struct StartTag {
  std::string_view qualified;
  std::string_view local;
  Attribute attributes[kMostAttributes];
  int count = 0;
  bool empty = false;  // <name/>
  // The unprefixed attribute of that name, or null.
  const Attribute* find(std::string_view name) const {
    for (int i = 0; i < count; ++i)
      if (same_name(attributes[i].name, name)) return &attributes[i];
    return nullptr;
  }
};

// A start tag after its '<', up to and including its '>'. False when it is
// not well formed, or not one the scanners read: a namespace declaration,
// a reference in an attribute value.
bool read_start_tag(const char*& p, const char* end, StartTag& tag);

// An end tag after its "</", up to and including its '>'.
inline bool read_end_tag(const char*& p, const char* end, std::string_view& qualified, std::string_view& local) {
  if (!read_name(p, end, qualified, local)) return false;
  p = skip_spaces(p, end);
  if (p >= end || *p != '>') return false;
  ++p;
  return true;
}

// Checks a run of text between tags as expat would (UTF-8, the characters
// XML allows, no "]]>") and tells what expat makes of it: `items`, the
// pieces it reports it in (one, and two more per reference and per line
// break), and `plain` when the text is its own bytes (no reference, no
// carriage return). False when expat would refuse it.
bool check_text(const char* begin, const char* end, std::uint64_t& items, bool& plain);

// Appends the text as expat hands it on: references resolved, a line break
// of \r\n or \r made \n. False at a reference that is not one.
bool decode_text(const char* p, const char* end, std::string& out);

// False when the part is not in UTF-8 as expat would read it: it begins
// with the sign of UTF-16 or UTF-32 (a byte order mark, or the zero bytes
// of their "<"), or its XML declaration names another encoding. The
// scanners, and the cutting of a sheet into pieces, read UTF-8 bytes only.
// `part` may be the part's beginning, as long as it holds the declaration.
bool declares_utf8_or_nothing(std::string_view part);

}  // namespace sheetlib::markup
