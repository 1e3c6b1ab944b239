#include "text/gbk_chars.h"

namespace colsplit {

namespace {

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool matches_at(std::string_view text, std::size_t pos, std::string_view needle, bool ignore_ascii_case) {
  if (text.size() - pos < needle.size()) return false;
  for (std::size_t i = 0; i < needle.size(); ++i) {
    char a = text[pos + i];
    char b = needle[i];
    if (ignore_ascii_case) {
      a = ascii_lower(a);
      b = ascii_lower(b);
    }
    if (a != b) return false;
  }
  return true;
}

}  // namespace

std::size_t find_at_char_boundary(std::string_view text, std::string_view needle, bool ignore_ascii_case) {
  if (needle.empty()) return 0;
  for (std::size_t pos = 0; pos < text.size(); pos += gbk_char_length(text, pos)) {
    if (matches_at(text, pos, needle, ignore_ascii_case)) return pos;
  }
  return std::string_view::npos;
}

std::size_t find_last_char(std::string_view text, char c) {
  std::size_t found = std::string_view::npos;
  for (std::size_t pos = 0; pos < text.size(); pos += gbk_char_length(text, pos)) {
    if (text[pos] == c) found = pos;
  }
  return found;
}

std::string_view cut_at_char_boundary(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  std::size_t end = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t next = pos + gbk_char_length(text, pos);
    if (next > max_bytes) break;
    end = pos = next;
  }
  return text.substr(0, end);
}

}  // namespace colsplit
