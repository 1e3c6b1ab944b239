#include "text/unicode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace colsplit {
namespace {

std::vector<char32_t> decode_utf8(std::string_view text) {
  std::vector<char32_t> code_points;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    code_points.push_back(next_utf8(text, pos));
    EXPECT_EQ(pos - start, utf8_char_length(text, start)) << "at " << start;
  }
  return code_points;
}

std::vector<char32_t> decode_utf16(std::u16string_view text) {
  std::vector<char32_t> code_points;
  for (std::size_t pos = 0; pos < text.size();) code_points.push_back(next_utf16(text, pos));
  return code_points;
}

constexpr char32_t kFFFD = kReplacementCharacter;

TEST(Utf8, EveryScalarValueRoundTrips) {
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c == 0xD800) c = 0xE000;
    std::string bytes;
    append_utf8(bytes, c);
    ASSERT_EQ(bytes.size(), utf8_length(c)) << std::hex << static_cast<unsigned>(c);
    std::size_t pos = 0;
    ASSERT_EQ(next_utf8(bytes, pos), c) << std::hex << static_cast<unsigned>(c);
    ASSERT_EQ(pos, bytes.size());
  }
}

// Each ill-formed piece is one U+FFFD, and what follows it is read as usual.
TEST(Utf8, IllFormedPiecesBecomeOneReplacementEach) {
  EXPECT_EQ(decode_utf8("a\x80z"), (std::vector<char32_t>{U'a', kFFFD, U'z'}));           // stray continuation
  EXPECT_EQ(decode_utf8("\xC0\xAFz"), (std::vector<char32_t>{kFFFD, kFFFD, U'z'}));       // overlong '/'
  EXPECT_EQ(decode_utf8("\xE0\x80\xAFz"), (std::vector<char32_t>{kFFFD, kFFFD, kFFFD, U'z'}));
  EXPECT_EQ(decode_utf8("\xED\xA0\x80z"), (std::vector<char32_t>{kFFFD, kFFFD, kFFFD, U'z'}));  // surrogate
  EXPECT_EQ(decode_utf8("\xF4\x90\x80\x80"), (std::vector<char32_t>(4, kFFFD)));          // above U+10FFFF
  EXPECT_EQ(decode_utf8("\xF5z\xFFz"), (std::vector<char32_t>{kFFFD, U'z', kFFFD, U'z'}));
  // Cut short: the well-formed start counts as one piece.
  EXPECT_EQ(decode_utf8("\xE4\xB8z"), (std::vector<char32_t>{kFFFD, U'z'}));
  EXPECT_EQ(decode_utf8("\xF0\x9F\x98"), (std::vector<char32_t>{kFFFD}));
  EXPECT_EQ(decode_utf8("\xE4\xB8\xE4\xB8\xAD"), (std::vector<char32_t>{kFFFD, U'中'}));
}

TEST(Utf8, WritesReplacementForWhatIsNoScalarValue) {
  std::string bytes;
  append_utf8(bytes, 0xDC00);
  append_utf8(bytes, 0x110000);
  EXPECT_EQ(bytes, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf16, SurrogatePairsAndUnpairedSurrogates) {
  std::u16string text;
  append_utf16(text, U'😀');
  append_utf16(text, U'中');
  append_utf16(text, 0x10FFFF);
  EXPECT_EQ(text, u"\xD83D\xDE00\x4E2D\xDBFF\xDFFF");
  EXPECT_EQ(decode_utf16(text), (std::vector<char32_t>{U'😀', U'中', 0x10FFFF}));

  // A high surrogate at the end, before a non-surrogate or before another
  // high one; a low surrogate alone. The unit after it is kept.
  EXPECT_EQ(decode_utf16(u"a\xD83D"), (std::vector<char32_t>{U'a', kFFFD}));
  EXPECT_EQ(decode_utf16(u"\xD83Dz"), (std::vector<char32_t>{kFFFD, U'z'}));
  EXPECT_EQ(decode_utf16(u"\xD83D\xD83D\xDE00"), (std::vector<char32_t>{kFFFD, U'😀'}));
  EXPECT_EQ(decode_utf16(u"\xDE00\xD83D"), (std::vector<char32_t>{kFFFD, kFFFD}));

  std::u16string written;
  append_utf16(written, 0xD800);
  EXPECT_EQ(written, u"\xFFFD");
}

}  // namespace
}  // namespace colsplit
