// Numbers as the compound file and its records store them: little-endian,
// at any alignment.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace sheetlib::xls {

inline std::uint16_t le16(const char* at) {
  const auto* b = reinterpret_cast<const unsigned char*>(at);
  return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

inline std::uint32_t le32(const char* at) {
  const auto* b = reinterpret_cast<const unsigned char*>(at);
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

inline std::uint64_t le64(const char* at) { return le32(at) | static_cast<std::uint64_t>(le32(at + 4)) << 32; }

inline double le_double(const char* at) {
  const std::uint64_t bits = le64(at);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline std::uint16_t le16(std::string_view bytes, std::size_t at) { return le16(bytes.data() + at); }
inline std::uint32_t le32(std::string_view bytes, std::size_t at) { return le32(bytes.data() + at); }

}  // namespace sheetlib::xls
