#include "text/unicode.h"

namespace colsplit {

namespace {

bool is_continuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF) {
  return byte >= low && byte <= high;
}

// Length and first-byte payload of a well-formed sequence starting with
// `lead`, and the range its second byte must fall in: the narrowed ranges
// after E0, ED, F0 and F4 shut out overlong forms, surrogates and values
// above U+10FFFF.
struct Lead {
  std::size_t length;  // 0: no sequence starts with this byte
  unsigned char low;
  unsigned char high;
};

Lead lead_of(unsigned char byte) {
  if (byte < 0x80) return {1, 0, 0};
  if (byte < 0xC2) return {0, 0, 0};
  if (byte < 0xE0) return {2, 0x80, 0xBF};
  if (byte == 0xE0) return {3, 0xA0, 0xBF};
  if (byte == 0xED) return {3, 0x80, 0x9F};
  if (byte < 0xF0) return {3, 0x80, 0xBF};
  if (byte == 0xF0) return {4, 0x90, 0xBF};
  if (byte < 0xF4) return {4, 0x80, 0xBF};
  if (byte == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

// Bytes of the well-formed sequence at `pos`, or of its ill-formed start
// (as a negative number) when it is broken.
long sequence_at(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const Lead lead = lead_of(byte(pos));
  if (lead.length == 0) return -1;
  if (lead.length == 1) return 1;
  if (pos + 1 >= text.size() || !is_continuation(byte(pos + 1), lead.low, lead.high)) return -1;
  for (std::size_t i = 2; i < lead.length; ++i) {
    if (pos + i >= text.size() || !is_continuation(byte(pos + i))) return -static_cast<long>(i);
  }
  return static_cast<long>(lead.length);
}

}  // namespace

char32_t next_utf8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  const long length = sequence_at(text, pos);
  if (length < 0) {
    pos += static_cast<std::size_t>(-length);
    return kReplacementCharacter;
  }
  char32_t code_point = lead & (0x7F >> length);
  for (long i = 1; i < length; ++i) code_point = (code_point << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
  pos += static_cast<std::size_t>(length);
  return code_point;
}

std::size_t utf8_char_length(std::string_view text, std::size_t pos) {
  const long length = sequence_at(text, pos);
  return static_cast<std::size_t>(length < 0 ? -length : length);
}

char* put_utf8(char* out, char32_t code_point) {
  if ((code_point >= 0xD800 && code_point <= 0xDFFF) || code_point > 0x10FFFF) code_point = kReplacementCharacter;
  if (code_point < 0x80) {
    *out++ = static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    *out++ = static_cast<char>(0xC0 | (code_point >> 6));
    *out++ = static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (code_point >> 12));
    *out++ = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (code_point >> 18));
    *out++ = static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code_point & 0x3F));
  }
  return out;
}

void append_utf8(std::string& out, char32_t code_point) {
  char bytes[4];
  out.append(bytes, static_cast<std::size_t>(put_utf8(bytes, code_point) - bytes));
}

}  // namespace colsplit
