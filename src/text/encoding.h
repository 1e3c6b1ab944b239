// Conversions between the program's texts (see gb18030.h: Windows' code
// page 936, with GB18030 four-byte sequences for every other character),
// UTF-8 and UTF-16. Every crossing goes through these, natively and on
// Windows alike: no character is lost on the way, and a text that round-trips
// comes back byte for byte. Conversions never fail: ill-formed input (bytes
// that are no UTF-8, an unpaired surrogate, a broken sequence in a text)
// becomes U+FFFD, and the rest of the input is converted as usual.
#pragma once

#include <string>
#include <string_view>

namespace colsplit {

std::string gbk_to_utf8(std::string_view gbk);
std::string utf8_to_gbk(std::string_view utf8);

// The same conversions written at `out`, which has room for as many bytes
// for every byte of the input as the constant says (a stray byte becomes
// the three bytes of U+FFFD in UTF-8, the four of 84 31 A4 37 the other
// way); each returns the end of what it wrote. For callers that convert many
// short texts into a buffer of their own.
inline constexpr std::size_t kUtf8BytesPerGbkByte = 3;
char* write_gbk_as_utf8(std::string_view gbk, char* out);
inline constexpr std::size_t kGbkBytesPerUtf8Byte = 4;
char* write_utf8_as_gbk(std::string_view utf8, char* out);

// True when every byte is below 0x80: such a text is the same in every one
// of these encodings but UTF-16.
bool is_ascii(std::string_view text);

// A text converted for a caller that uses it at once: on the stack when it
// is short, in a string of its own when it is long, not at all when it is
// ASCII (text() then views the input, which must outlive it).
template <std::size_t kGrowth, char* (*kWrite)(std::string_view, char*)>
class ConvertedText {
 public:
  explicit ConvertedText(std::string_view input) {
    if (is_ascii(input)) {
      text_ = input;
      return;
    }
    char* begin = short_;
    if (input.size() > kShortText) {
      long_.resize(input.size() * kGrowth);
      begin = long_.data();
    }
    text_ = std::string_view(begin, static_cast<std::size_t>(kWrite(input, begin) - begin));
  }
  ConvertedText(const ConvertedText&) = delete;
  ConvertedText& operator=(const ConvertedText&) = delete;

  std::string_view text() const { return text_; }

 private:
  static constexpr std::size_t kShortText = 256;
  char short_[kShortText * kGrowth];
  std::string long_;
  std::string_view text_;
};
using Utf8AsGbk = ConvertedText<kGbkBytesPerUtf8Byte, write_utf8_as_gbk>;
using GbkAsUtf8 = ConvertedText<kUtf8BytesPerGbkByte, write_gbk_as_utf8>;

std::u16string gbk_to_utf16(std::string_view gbk);
std::string utf16_to_gbk(std::u16string_view utf16);

// The text's length in UTF-16 units, the characters that Windows' names
// and spreadsheet applications count (a character above U+FFFF is two).
std::size_t utf16_units(std::string_view gbk);

#ifdef _WIN32
std::wstring gbk_to_wide(std::string_view gbk);
std::string wide_to_gbk(std::wstring_view wide);
std::wstring utf8_to_wide(std::string_view utf8);
std::string wide_to_utf8(std::wstring_view wide);
#endif

}  // namespace colsplit
