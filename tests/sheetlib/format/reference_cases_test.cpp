// What LibreOffice Calc shows for each (value, format code) pair, recorded by
// make_reference_cases.py; the cases where this library shows something else
// on purpose say why in the table.
#include <gtest/gtest.h>

#include <span>

#include "sheetlib/format/number_format.h"

namespace {

struct ReferenceCase {
  double value;
  const char* code;
  const char* expected;
};

// A text cell's case: its text, the code, what shows.
struct TextReferenceCase {
  const char* text;
  const char* code;
  const char* expected;
};

#include "reference_cases.inc"

void expect_all(std::span<const ReferenceCase> cases, bool date1904) {
  for (const ReferenceCase& c : cases) {
    EXPECT_EQ(sheetlib::format_number(c.value, c.code, date1904), c.expected)
        << "value " << c.value << ", code " << c.code;
  }
}

TEST(ReferenceCases, General) { expect_all(k_general_cases, false); }
TEST(ReferenceCases, NumberCodes) { expect_all(k_number_cases, false); }
TEST(ReferenceCases, DatesAndTimes) { expect_all(k_date_cases, false); }
TEST(ReferenceCases, DateSystem1904) { expect_all(k_date1904_cases, true); }
TEST(ReferenceCases, ChineseNumerals) { expect_all(k_numerals_cases, false); }
TEST(ReferenceCases, JapaneseEras) { expect_all(k_japanese_cases, false); }

// A code without a section for texts leaves the text as it is, and says so,
// as has_text_section does, so that readers can skip it.
TEST(ReferenceCases, TextCells) {
  sheetlib::NumberFormatter formatter;
  for (const TextReferenceCase& c : k_text_cases) {
    const std::optional<std::string> shown = formatter.format_text(c.text, c.code);
    EXPECT_EQ(shown.value_or(c.text), c.expected) << "text " << c.text << ", code " << c.code;
    EXPECT_EQ(sheetlib::has_text_section(c.code), shown.has_value()) << c.code;
  }
}

}  // namespace
