// Our tables against the system's own conversions, over the whole range:
// every character that the system's code page 936 has keeps exactly the
// bytes that the system gives it (under Wine: Windows' 936 as Wine has it;
// natively: glibc's CP936), and every other character is the four-byte
// sequence that glibc's GB18030 has for it.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "support/hex_text.h"
#include "text/gb18030.h"
#include "text/unicode.h"

namespace colsplit {
namespace {

using ::colsplit::testing::hex;

std::string ours(char32_t c) {
  std::string bytes;
  append_gbk(bytes, c);
  return bytes;
}

char32_t our_code_point(const std::string& bytes) {
  std::size_t pos = 0;
  const char32_t c = next_gbk(bytes, pos);
  return pos == bytes.size() ? c : kReplacementCharacter;
}

// Every one- and two-byte sequence that may be a character.
template <typename Visit>
void for_each_short_sequence(Visit visit) {
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) visit(std::string(1, static_cast<char>(byte)));
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail != 0x7F) visit(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
}

#ifdef _WIN32

constexpr UINT kGbk = 936;

TEST(SystemCodePage, EveryCharacterOfWindows936KeepsItsBytes) {
  // Windows reads 0x80 and 0xFF as characters of their own, a lone lead
  // byte as a default character; every two-byte code is a character.
  int decoded = 0;
  for_each_short_sequence([&](const std::string& bytes) {
    wchar_t wide[2];
    const int units = MultiByteToWideChar(kGbk, 0, bytes.data(), static_cast<int>(bytes.size()), wide, 2);
    if (bytes.size() == 1 && (units != 1 || (wide[0] != 0x20AC && wide[0] != 0xF8F5))) return;
    ASSERT_EQ(units, 1) << hex(bytes);
    ++decoded;
    ASSERT_EQ(our_code_point(bytes), static_cast<char32_t>(wide[0])) << hex(bytes);
  });
  EXPECT_EQ(decoded, 2 + 23'940);

  int encoded = 0;
  for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
    if (c == 0xD800) c = 0xE000;
    const wchar_t wide = static_cast<wchar_t>(c);
    char bytes[8];
    BOOL substituted = FALSE;
    const int length = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes, nullptr,
                                           &substituted);
    if (length <= 0 || substituted) continue;
    ++encoded;
    ASSERT_EQ(ours(c), std::string(bytes, static_cast<std::size_t>(length))) << std::hex << static_cast<unsigned>(c);
  }
  EXPECT_EQ(encoded, 2 + 23'940);
}

#else

class Iconv {
 public:
  Iconv(const char* to, const char* from) : descriptor_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(descriptor_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

  // The whole input as one output, or nothing.
  std::optional<std::string> convert(std::string_view input) {
    iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    std::size_t in_left = input.size();
    char out[16];
    char* out_at = out;
    std::size_t out_left = sizeof out;
    if (iconv(descriptor_, &in, &in_left, &out_at, &out_left) == static_cast<std::size_t>(-1) || in_left != 0)
      return std::nullopt;
    return std::string(out, sizeof out - out_left);
  }

 private:
  iconv_t descriptor_;
};

std::string utf32(char32_t c) { return std::string(reinterpret_cast<const char*>(&c), 4); }

std::optional<char32_t> one_code_point(const std::optional<std::string>& utf32_text) {
  if (!utf32_text || utf32_text->size() != 4) return std::nullopt;
  char32_t c;
  std::memcpy(&c, utf32_text->data(), 4);
  return c;
}

TEST(SystemCodePage, EveryCharacterOfGlibcsCp936KeepsItsBytes) {
  Iconv decoder("UTF-32LE", "CP936");
  Iconv encoder("CP936", "UTF-32LE");
  ASSERT_TRUE(decoder.ok() && encoder.ok());
  int decoded = 0;
  for_each_short_sequence([&](const std::string& bytes) {
    const std::optional<char32_t> c = one_code_point(decoder.convert(bytes));
    if (!c) return;
    ++decoded;
    ASSERT_EQ(our_code_point(bytes), *c) << hex(bytes);
  });
  // GBK and the euro sign; glibc leaves out the private-use characters.
  EXPECT_EQ(decoded, 21'792);

  for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
    if (c == 0xD800) c = 0xE000;
    const std::optional<std::string> bytes = encoder.convert(utf32(c));
    if (!bytes) continue;
    ASSERT_EQ(ours(c), *bytes) << std::hex << static_cast<unsigned>(c);
  }
}

// A character that GB18030 has at a two-byte code where Windows' 936 has a
// private-use character takes that private-use character's four-byte
// sequence; glibc reads such a sequence as the private-use character, or
// not at all where it follows the later editions of GB18030.
TEST(SystemCodePage, FourByteSequencesAreGlibcsGb18030) {
  Iconv decoder("UTF-32LE", "GB18030");
  Iconv encoder("GB18030", "UTF-32LE");
  ASSERT_TRUE(decoder.ok() && encoder.ok());
  int four_byte = 0;
  int moved = 0;
  for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
    if (c == 0xD800) c = 0xE000;
    const std::string bytes = ours(c);
    if (bytes.size() != 4) continue;
    ++four_byte;
    if (one_code_point(decoder.convert(bytes)) == c) continue;
    ++moved;
    const std::optional<std::string> standard = encoder.convert(utf32(c));
    ASSERT_TRUE(standard && standard->size() == 2) << std::hex << static_cast<unsigned>(c);
    const char32_t windows = our_code_point(*standard);
    EXPECT_TRUE(windows >= 0xE000 && windows <= 0xF8FF) << std::hex << static_cast<unsigned>(c);
    const std::optional<char32_t> read = one_code_point(decoder.convert(bytes));
    EXPECT_TRUE(!read || *read == windows) << std::hex << static_cast<unsigned>(c);
  }
  EXPECT_EQ(four_byte, 0x110000 - 0x800 - 0x80 - 2 - 23'940);
  EXPECT_LT(moved, 128);
}

#endif

}  // namespace
}  // namespace colsplit
