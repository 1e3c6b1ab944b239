#include "text/gb18030.h"

#include <algorithm>
#include <cstdint>

#include "text/gbk_chars.h"
#include "text/unicode.h"

namespace colsplit {

namespace {

#include "text/gb18030_tables.inc"

constexpr std::uint32_t kBmpFourByteCount = 39'420;
// Index of 90 30 81 30, where the planes above the Basic Multilingual Plane
// begin, one sequence per code point.
constexpr std::uint32_t kSupplementaryStart = 189'000;
// Windows' 936 has two characters of one byte beyond ASCII.
constexpr char32_t kEuroSign = 0x20AC;     // 0x80
constexpr char32_t kPrivateUseFF = 0xF8F5;  // 0xFF

char32_t four_byte_code_point(std::uint32_t index) {
  if (index < kBmpFourByteCount) {
    const auto* run = std::upper_bound(std::begin(kFourByteRunsByIndex), std::end(kFourByteRunsByIndex), index,
                                       [](std::uint32_t i, const FourByteRun& r) { return i < r.index; });
    --run;
    return static_cast<char32_t>(run->code_point + (index - run->index));
  }
  if (index >= kSupplementaryStart && index - kSupplementaryStart < 0x100000) return 0x10000 + (index - kSupplementaryStart);
  return kReplacementCharacter;
}

std::uint32_t bmp_four_byte_index(char32_t code_point) {
  const auto* run = std::upper_bound(std::begin(kFourByteRunsByCodePoint), std::end(kFourByteRunsByCodePoint),
                                     code_point, [](char32_t c, const FourByteRun& r) { return c < r.code_point; });
  --run;
  return run->index + (code_point - run->code_point);
}

// Code point -> its one- or two-byte code in Windows' 936 (the byte itself
// for the two single-byte ones), 0 when it has none. Built from the two-byte table on
// first use rather than carried as a second table.
class ReverseTable {
 public:
  ReverseTable() {
    std::size_t at = 0;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail != 0x7F) codes_[kTwoByteCharacters[at++]] = static_cast<std::uint16_t>(lead << 8 | trail);
      }
    }
    codes_[kEuroSign] = 0x80;
    codes_[kPrivateUseFF] = 0xFF;
  }
  std::uint16_t code(char32_t code_point) const { return codes_[code_point]; }

 private:
  std::uint16_t codes_[0x10000] = {};
};

const ReverseTable& reverse_table() {
  static const ReverseTable table;
  return table;
}

char* put_four_byte(char* out, std::uint32_t index) {
  out[0] = static_cast<char>(0x81 + index / 12'600);
  out[1] = static_cast<char>(0x30 + index / 1'260 % 10);
  out[2] = static_cast<char>(0x81 + index / 10 % 126);
  out[3] = static_cast<char>(0x30 + index % 10);
  return out + 4;
}

}  // namespace

char32_t next_gbk(std::string_view text, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned int>(static_cast<unsigned char>(text[i])); };
  const unsigned int lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  switch (gbk_char_length(text, pos)) {
    case 2: {
      const unsigned int trail = byte(pos + 1);
      pos += 2;
      return kTwoByteCharacters[(lead - 0x81) * 190 + trail - 0x40 - (trail > 0x7F ? 1 : 0)];
    }
    case 4: {
      const std::uint32_t index = (((lead - 0x81) * 10 + (byte(pos + 1) - 0x30)) * 126 + (byte(pos + 2) - 0x81)) * 10 +
                                  (byte(pos + 3) - 0x30);
      pos += 4;
      return four_byte_code_point(index);
    }
    default:
      ++pos;
      if (lead == 0x80) return kEuroSign;
      return lead == 0xFF ? kPrivateUseFF : kReplacementCharacter;
  }
}

char* put_gbk(char* out, char32_t code_point) {
  if (code_point < 0x80) {
    *out = static_cast<char>(code_point);
    return out + 1;
  }
  if (code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) code_point = kReplacementCharacter;
  if (code_point > 0xFFFF) return put_four_byte(out, kSupplementaryStart + (code_point - 0x10000));
  const std::uint16_t code = reverse_table().code(code_point);
  if (code > 0xFF) {
    out[0] = static_cast<char>(code >> 8);
    out[1] = static_cast<char>(code & 0xFF);
    return out + 2;
  }
  if (code != 0) {
    *out = static_cast<char>(code);
    return out + 1;
  }
  return put_four_byte(out, bmp_four_byte_index(code_point));
}

void append_gbk(std::string& out, char32_t code_point) {
  char bytes[kLongestGbkCharacter];
  out.append(bytes, static_cast<std::size_t>(put_gbk(bytes, code_point) - bytes));
}

}  // namespace colsplit
