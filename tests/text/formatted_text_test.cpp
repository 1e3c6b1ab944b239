#include "text/formatted_text.h"

#include <gtest/gtest.h>

#include "support/gbk_literal.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;

TEST(FormatText, FillsNumbersAndTextsIntoGbkFormats) {
  EXPECT_EQ(format_text(gbk(u8"%d年%d月%d日").c_str(), 2026, 12, 7), gbk(u8"2026年12月7日"));
  EXPECT_EQ(format_text("%s|%s", "a", ""), "a|");
  EXPECT_EQ(format_text("plain"), "plain");
}

// Longer than the stack buffer the formatting starts with.
TEST(FormatText, LongResultsComeBackWhole) {
  const std::string long_piece(5000, 'x');
  const Text text = format_text("<%s>%d", long_piece.c_str(), 42);
  EXPECT_EQ(text.size(), 5004u);
  EXPECT_EQ(text.substr(0, 2), "<x");
  EXPECT_EQ(text.substr(5000), "x>42");
}

}  // namespace
}  // namespace colsplit
