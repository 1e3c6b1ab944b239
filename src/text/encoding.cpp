#include "text/encoding.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <cerrno>
#endif

namespace colsplit {

bool is_ascii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

#ifdef _WIN32

namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring to_wide(UINT code_page, std::string_view text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return std::wstring(text.size(), L'?');
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string from_wide(UINT code_page, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string(wide.size(), '?');
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
  return text;
}

}  // namespace

std::wstring gbk_to_wide(std::string_view gbk) { return to_wide(kGbkCodePage, gbk); }
std::string wide_to_gbk(std::wstring_view wide) { return from_wide(kGbkCodePage, wide); }
std::wstring utf8_to_wide(std::string_view utf8) { return to_wide(CP_UTF8, utf8); }
std::string wide_to_utf8(std::wstring_view wide) { return from_wide(CP_UTF8, wide); }

std::string gbk_to_utf8(std::string_view gbk) {
  if (is_ascii(gbk)) return std::string(gbk);
  return wide_to_utf8(gbk_to_wide(gbk));
}

std::string utf8_to_gbk(std::string_view utf8) {
  if (is_ascii(utf8)) return std::string(utf8);
  return wide_to_gbk(utf8_to_wide(utf8));
}

#else

namespace {

// iconv with one descriptor per direction and thread; an unconvertible or
// invalid input sequence is replaced by '?' and skipped (one byte, or one
// whole UTF-8 character when the input is UTF-8).
class Converter {
 public:
  Converter(const char* to, const char* from, bool from_utf8)
      : descriptor_(iconv_open(to, from)), from_utf8_(from_utf8) {}
  ~Converter() {
    if (descriptor_ != reinterpret_cast<iconv_t>(-1)) iconv_close(descriptor_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  std::string convert(std::string_view input) {
    if (descriptor_ == reinterpret_cast<iconv_t>(-1)) return std::string(input);
    iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
    std::string output;
    output.resize(input.size() * 2 + 8);
    char* in = const_cast<char*>(input.data());
    std::size_t in_left = input.size();
    std::size_t used = 0;
    while (in_left > 0) {
      char* out = output.data() + used;
      std::size_t out_left = output.size() - used;
      const std::size_t result = iconv(descriptor_, &in, &in_left, &out, &out_left);
      used = output.size() - out_left;
      if (result != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) {
        output.resize(output.size() * 2);
        continue;
      }
      // EILSEQ or EINVAL: skip the offending sequence and put '?' in its place.
      std::size_t skip = 1;
      if (from_utf8_) {
        while (skip < in_left && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80 && skip < 4) ++skip;
      }
      in += skip;
      in_left -= skip;
      if (output.size() - used < 1) output.resize(output.size() * 2);
      output[used++] = '?';
    }
    output.resize(used);
    return output;
  }

 private:
  iconv_t descriptor_;
  bool from_utf8_;
};

}  // namespace

std::string gbk_to_utf8(std::string_view gbk) {
  if (is_ascii(gbk)) return std::string(gbk);
  thread_local Converter converter("UTF-8", "CP936", false);
  return converter.convert(gbk);
}

std::string utf8_to_gbk(std::string_view utf8) {
  if (is_ascii(utf8)) return std::string(utf8);
  thread_local Converter converter("CP936", "UTF-8", true);
  return converter.convert(utf8);
}

#endif

}  // namespace colsplit
