// Bytes as hex digits and back: how the tests hand GBK texts to and from a
// child process, through command lines and output that no code page garbles.
#pragma once

#include <string>
#include <string_view>

namespace colsplit::testing {

inline std::string hex(std::string_view bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (const char c : bytes) {
    out += digits[static_cast<unsigned char>(c) >> 4];
    out += digits[static_cast<unsigned char>(c) & 15];
  }
  return out;
}

inline std::string unhex(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2)
    out += static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16));
  return out;
}

}  // namespace colsplit::testing
