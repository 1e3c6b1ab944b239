// XOR obfuscation, the oldest way Excel hides a workbook behind a password
// (Excel 5.0 and 95, and Excel 97 and later when asked for it): a 16-bit
// password verifier, a 16-bit key and a 16-byte array made from the
// password, the array XORed over the records' data. Obfuscation, not a
// cipher: anyone can undo it, which is why it is written out here.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace sheetlib::xls {

// Passwords are single bytes per character, at most 15 of them (longer
// ones count their first 15).
std::uint16_t xor_password_verifier(std::string_view password);
std::uint16_t xor_key(std::string_view password);
std::array<std::uint8_t, 16> xor_array(std::string_view password);

}  // namespace sheetlib::xls
