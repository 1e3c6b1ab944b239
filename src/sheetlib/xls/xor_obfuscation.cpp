#include "sheetlib/xls/xor_obfuscation.h"

#include <cstddef>

namespace sheetlib::xls {

namespace {

constexpr std::size_t kMostCharacters = 15;

// The key starts from a code chosen by the password's length; each of the
// low 7 bits of every character then XORs in an entry of the matrix, the
// last character's bits taking the matrix's last entries.
constexpr std::uint16_t kInitialCode[kMostCharacters] = {
    0xE1F0, 0x1D0F, 0xCC9C, 0x84C0, 0x110C, 0x0E10, 0xF1CE, 0x313E,
    0x1872, 0xE139, 0xD40F, 0x84F9, 0x280C, 0xA96A, 0x4EC3,
};
constexpr std::uint16_t kXorMatrix[kMostCharacters * 7] = {
    0xAEFC, 0x4DD9, 0x9BB2, 0x2745, 0x4E8A, 0x9D14, 0x2A09, 0x7B61, 0xF6C2, 0xFDA5, 0xEB6B, 0xC6F7, 0x9DCF, 0x2BBF,
    0x4563, 0x8AC6, 0x05AD, 0x0B5A, 0x16B4, 0x2D68, 0x5AD0, 0x0375, 0x06EA, 0x0DD4, 0x1BA8, 0x3750, 0x6EA0, 0xDD40,
    0xD849, 0xA0B3, 0x5147, 0xA28E, 0x553D, 0xAA7A, 0x44D5, 0x6F45, 0xDE8A, 0xAD35, 0x4A4B, 0x9496, 0x390D, 0x721A,
    0xEB23, 0xC667, 0x9CEF, 0x29FF, 0x53FE, 0xA7FC, 0x5FD9, 0x47D3, 0x8FA6, 0x0F6D, 0x1EDA, 0x3DB4, 0x7B68, 0xF6D0,
    0xB861, 0x60E3, 0xC1C6, 0x93AD, 0x377B, 0x6EF6, 0xDDEC, 0x45A0, 0x8B40, 0x06A1, 0x0D42, 0x1A84, 0x3508, 0x6A10,
    0xAA51, 0x4483, 0x8906, 0x022D, 0x045A, 0x08B4, 0x1168, 0x76B4, 0xED68, 0xCAF1, 0x85C3, 0x1BA7, 0x374E, 0x6E9C,
    0x3730, 0x6E60, 0xDCC0, 0xA9A1, 0x4363, 0x86C6, 0x1DAD, 0x3331, 0x6662, 0xCCC4, 0x89A9, 0x0373, 0x06E6, 0x0DCC,
    0x1021, 0x2042, 0x4084, 0x8108, 0x1231, 0x2462, 0x48C4,
};
// What fills the array after the password's characters.
constexpr std::uint8_t kPad[kMostCharacters] = {0xBB, 0xFF, 0xFF, 0xBA, 0xFF, 0xFF, 0xB9, 0x80,
                                                0x00, 0xBE, 0x0F, 0x00, 0xBF, 0x0F, 0x00};

std::string_view counted(std::string_view password) { return password.substr(0, kMostCharacters); }

}  // namespace

std::uint16_t xor_password_verifier(std::string_view password) {
  password = counted(password);
  // The characters from the last to the first, then the length: each
  // rotates the 15 low bits left by one and is XORed in.
  std::uint16_t verifier = 0;
  const auto mix = [&verifier](std::uint8_t byte) {
    verifier = static_cast<std::uint16_t>((((verifier >> 14) & 1) | ((verifier << 1) & 0x7FFF)) ^ byte);
  };
  for (auto at = password.rbegin(); at != password.rend(); ++at) mix(static_cast<std::uint8_t>(*at));
  mix(static_cast<std::uint8_t>(password.size()));
  return static_cast<std::uint16_t>(verifier ^ 0xCE4B);
}

std::uint16_t xor_key(std::string_view password) {
  password = counted(password);
  if (password.empty()) return 0;
  std::uint16_t key = kInitialCode[password.size() - 1];
  std::size_t element = std::size(kXorMatrix);
  for (auto at = password.rbegin(); at != password.rend(); ++at) {
    auto character = static_cast<std::uint8_t>(*at);
    for (int bit = 0; bit < 7; ++bit, character = static_cast<std::uint8_t>(character << 1)) {
      --element;
      if (character & 0x40) key ^= kXorMatrix[element];
    }
  }
  return key;
}

std::array<std::uint8_t, 16> xor_array(std::string_view password) {
  password = counted(password);
  const std::uint16_t key = xor_key(password);
  // The password then the pad, each byte XORed with the key's low byte (at
  // even places) or high byte (at odd ones) and rotated right by one.
  std::array<std::uint8_t, 16> array{};
  for (std::size_t i = 0; i < array.size(); ++i) {
    // (An empty password has no key; its array stays zero.)
    if (password.empty()) break;
    const std::uint8_t source =
        i < password.size() ? static_cast<std::uint8_t>(password[i]) : kPad[i - password.size()];
    const auto mixed = static_cast<std::uint8_t>(source ^ (i % 2 ? key >> 8 : key & 0xFF));
    array[i] = static_cast<std::uint8_t>(mixed >> 1 | mixed << 7);
  }
  return array;
}

}  // namespace sheetlib::xls
