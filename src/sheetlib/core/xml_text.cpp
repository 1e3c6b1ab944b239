#include "sheetlib/core/xml_text.h"

#include <charconv>
#include <cstdio>

namespace sheetlib {

namespace {

bool is_hex_digit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// True when `text` at `pos` holds "_xHHHH_", which a reader would decode.
bool starts_escape_sequence(std::string_view text, std::size_t pos) {
  if (text.size() - pos < 7) return false;
  if (text[pos] != '_' || (text[pos + 1] != 'x' && text[pos + 1] != 'X') || text[pos + 6] != '_') return false;
  for (std::size_t i = pos + 2; i < pos + 6; ++i) {
    if (!is_hex_digit(text[i])) return false;
  }
  return true;
}

void append_hex_escape(std::string& out, unsigned char c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "_x%04X_", c);
  out.append(buffer, 7);
}

}  // namespace

void append_escaped_text(std::string& out, std::string_view utf8) {
  std::size_t plain_start = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const char* replacement = nullptr;
    switch (c) {
      case '&': replacement = "&amp;"; break;
      case '<': replacement = "&lt;"; break;
      case '>': replacement = "&gt;"; break;
      case '\r': replacement = "&#13;"; break;
      case '_':
        if (!starts_escape_sequence(utf8, i)) continue;
        replacement = "_x005F_";
        break;
      default:
        if (c >= 0x20 || c == '\t' || c == '\n') continue;
        break;
    }
    out.append(utf8.data() + plain_start, i - plain_start);
    plain_start = i + 1;
    if (replacement) {
      out.append(replacement);
    } else {
      append_hex_escape(out, c);
    }
  }
  out.append(utf8.data() + plain_start, utf8.size() - plain_start);
}

void append_escaped_attribute(std::string& out, std::string_view utf8) {
  std::size_t plain_start = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const char* replacement = nullptr;
    char reference[8];
    switch (c) {
      case '&': replacement = "&amp;"; break;
      case '<': replacement = "&lt;"; break;
      case '>': replacement = "&gt;"; break;
      case '"': replacement = "&quot;"; break;
      default:
        if (c >= 0x20) continue;
        std::snprintf(reference, sizeof reference, "&#%u;", c);
        replacement = reference;
        break;
    }
    out.append(utf8.data() + plain_start, i - plain_start);
    out.append(replacement);
    plain_start = i + 1;
  }
  out.append(utf8.data() + plain_start, utf8.size() - plain_start);
}

bool needs_space_preserve(std::string_view utf8) {
  if (utf8.empty()) return false;
  auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  return is_space(utf8.front()) || is_space(utf8.back());
}

void append_number(std::string& out, std::uint64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void append_decimal(std::string& out, double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void append_cell_number(std::string& out, double value) {
  append_decimal(out, value == 0 ? 0.0 : value);
}

void append_column_letters(std::string& out, std::uint32_t column) {
  char letters[8];
  int length = 0;
  std::uint32_t n = column + 1;
  while (n > 0) {
    letters[length++] = static_cast<char>('A' + (n - 1) % 26);
    n = (n - 1) / 26;
  }
  while (length > 0) out.push_back(letters[--length]);
}

void append_cell_reference(std::string& out, std::uint32_t row, std::uint32_t column) {
  append_column_letters(out, column);
  append_number(out, std::uint64_t{row} + 1);
}

}  // namespace sheetlib
