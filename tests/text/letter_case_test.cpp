#include "text/letter_case.h"

#include <gtest/gtest.h>

namespace colsplit {
namespace {

TEST(LetterCase, UpperCaseInEveryScript) {
  const char32_t pairs[][2] = {
      {U'a', U'A'}, {U'z', U'Z'}, {U'ä', U'Ä'}, {U'ÿ', U'Ÿ'}, {U'ğ', U'Ğ'}, {U'ı', U'I'}, {U'ǆ', U'Ǆ'},
      {U'ω', U'Ω'}, {U'я', U'Я'}, {U'ё', U'Ё'}, {U'ա', U'Ա'}, {U'ⅰ', U'Ⅰ'}, {U'ａ', U'Ａ'}, {U'ⓐ', U'Ⓐ'},
      {U'𐐨', U'𐐀'},
  };
  for (const auto& [lower, upper] : pairs) {
    EXPECT_EQ(upper_case(lower), upper) << std::hex << static_cast<unsigned>(lower);
    EXPECT_EQ(upper_case(upper), upper) << std::hex << static_cast<unsigned>(upper);
  }
}

TEST(LetterCase, CharactersWithoutASingleUpperCaseStay) {
  for (const char32_t c : {U'ß', U'中', U'1', U'_', U'Ā', U'\uFFFD', char32_t{0x10FFFF}, char32_t{0}}) {
    EXPECT_EQ(upper_case(c), c) << std::hex << static_cast<unsigned>(c);
  }
  // Between the letters of a run that alternates upper and lower case.
  EXPECT_EQ(upper_case(U'ā'), U'Ā');
  EXPECT_EQ(upper_case(U'Ă'), U'Ă');
}

}  // namespace
}  // namespace colsplit
