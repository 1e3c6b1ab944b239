// The encoding check that the scanners and the cutting of a sheet into
// pieces share: UTF-8 as expat would read the bytes, or refused.
#include "sheetlib/read/markup_lexing.h"

#include <gtest/gtest.h>

#include <string>

namespace sheetlib::markup {
namespace {

TEST(MarkupLexing, DeclaresUtf8OrNothing) {
  const struct {
    std::string head;
    bool utf8;
  } cases[] = {
      {"<worksheet>", true},
      {"\xEF\xBB\xBF<worksheet>", true},
      {"<?xml version=\"1.0\"?><worksheet>", true},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>", true},
      {"\xEF\xBB\xBF<?xml version='1.0' encoding = 'utf-8'?>", true},
      {"<?xml-stylesheet href=\"a.xsl\" encoding=\"x\"?><worksheet>", true},  // an instruction, not the declaration
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", false},
      {"<?xml version=\"1.0\" encoding=\"utf-8x\"?>", false},
      {"<?xml version=\"1.0\" encoding=\"utf\r8\"?>", false},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"", false},  // the declaration not whole
      {std::string("\xFF\xFE<\0?\0", 6), false},            // UTF-16, byte order marked
      {std::string("\xFE\xFF\0<\0?", 6), false},
      {std::string("<\0?\0x\0", 6), false},  // UTF-16 without a mark
      {std::string("\0<\0?", 4), false},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.head);
    EXPECT_EQ(declares_utf8_or_nothing(test.head), test.utf8);
  }
}

}  // namespace
}  // namespace sheetlib::markup
