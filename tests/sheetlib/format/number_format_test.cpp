// Built-in format ids, ISO dates of "d" cells, and what the renderer must
// survive: hostile codes, extreme values, a flood of distinct codes.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "sheetlib/format/number_format.h"

namespace {

using sheetlib::builtin_number_format;
using sheetlib::format_number;
using sheetlib::iso_datetime_to_serial;

std::string builtin(int id, double value) { return format_number(value, builtin_number_format(id), false); }

TEST(BuiltinFormats, ShowAsAChineseExcelShowsThem) {
  struct Case {
    int id;
    double value;
    const char* expected;
  };
  const Case cases[] = {
      {0, 1234.5, "1234.5"},
      {2, 1234.5, "1234.50"},
      {4, 1234.5, "1,234.50"},
      {7, -1234.5, "¥-1,234.50"},
      {10, 0.1234, "12.34%"},
      {11, 12345.678, "1.23E+04"},
      {13, 3.14159, "3 14/99"},
      {14, 45352, "2024/3/1"},
      {20, 0.5, "12:00"},
      {22, 45352.75, "2024/3/1 18:00"},
      {27, 45352, "2024年3月"},
      {28, 45352, "3月1日"},
      {31, 45352, "2024年3月1日"},
      {32, 0.5625, "13时30分"},
      {33, 0.5625, "13时30分00秒"},
      {34, 0.5625, "下午1时30分"},
      {35, 0.25, "上午6时00分00秒"},
      {37, 100, "100 "},  // _) leaves room for the parenthesis of the negatives
      {38, -1234, "(1,234)"},
      {39, -9612.5, "(9,612.50)"},
      {40, 9612.5, "9,612.50 "},
      {43, -1234.5, " -1,234.50 "},
      {43, 0, " -   "},  // ?? leave room for the decimals
      {46, 1.25, "30:00:00"},
      {47, 0.0012, "01:43.7"},
      {48, 12345, "12.3E+3"},
      {49, 42, "42"},
      {55, 0.75, "下午6时00分"},
      {58, 45352, "3月1日"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(builtin(c.id, c.value), c.expected) << "id " << c.id;
  }
}

TEST(BuiltinFormats, IdsWithoutAFormatAreGeneral) {
  for (int id : {-1, 23, 26, 59, 81, 163, 164, 100000}) {
    EXPECT_EQ(builtin_number_format(id), "General") << "id " << id;
  }
}

TEST(IsoDateTimes, BecomeSerialNumbers) {
  struct Case {
    const char* iso;
    bool date1904;
    double serial;
  };
  const Case cases[] = {
      {"2024-03-01", false, 45352},
      {"2024-03-01T12:30:00", false, 45352 + 0.5208333333333334},
      {"2024-03-01T18:00:00.5Z", false, 45352.75 + 0.5 / 86400},
      {"2024-03-01 06:00", false, 45352.25},
      {"12:30:00", false, 0.5208333333333334},
      {"00:00:00", false, 0},
      {"1900-01-01", false, 1},
      {"1900-02-28", false, 59},
      {"1900-02-29", false, 60},
      {"1900-03-01", false, 61},
      {"9999-12-31", false, 2958465},
      {"1904-01-01", true, 0},
      {"2024-03-01", true, 43890},
  };
  for (const Case& c : cases) {
    const std::optional<double> serial = iso_datetime_to_serial(c.iso, c.date1904);
    ASSERT_TRUE(serial.has_value()) << c.iso;
    EXPECT_NEAR(*serial, c.serial, 1e-9) << c.iso;
  }
}

TEST(IsoDateTimes, RefuseWhatIsNoDate) {
  for (const char* iso : {"", "2024", "2024-3-1", "2024-02-30", "2023-02-29", "2024-13-01", "2024-00-10",
                          "2024-03-01T25:00:00", "2024-03-01T12:60", "2024-03-01T12:30:00+08:00", "12:3",
                          "1899-12-31", "2024-03-01x", "abc", "1904-02-29T"}) {
    EXPECT_FALSE(iso_datetime_to_serial(iso, false).has_value()) << iso;
  }
  EXPECT_FALSE(iso_datetime_to_serial("1903-12-31", true).has_value());
  EXPECT_FALSE(iso_datetime_to_serial("1900-02-29", true).has_value());
}

TEST(IsoDateTimes, ShowAgainAsWritten) {
  const std::optional<double> serial = iso_datetime_to_serial("2024-03-01T08:05:09", false);
  ASSERT_TRUE(serial.has_value());
  EXPECT_EQ(format_number(*serial, "yyyy-mm-dd hh:mm:ss", false), "2024-03-01 08:05:09");
  const std::optional<double> serial1904 = iso_datetime_to_serial("2024-03-01T08:05:09", true);
  ASSERT_TRUE(serial1904.has_value());
  EXPECT_EQ(format_number(*serial1904, "yyyy-mm-dd hh:mm:ss", true), "2024-03-01 08:05:09");
}

TEST(Dates, WeekdaysBeforeMarch1900FollowTheFictitiousLeapDay) {
  // Day 1, 1900-01-01, is a Sunday in the 1900 system, although that day was
  // a Monday; from day 61 on the weekdays are the real ones.
  EXPECT_EQ(format_number(1, "dddd", false), "Sunday");
  EXPECT_EQ(format_number(61, "dddd", false), "Thursday");
  EXPECT_EQ(format_number(0, "dddd", true), "Friday");  // 1904-01-01
}

TEST(Dates, EveryMonthAndDayName) {
  EXPECT_EQ(format_number(45292, "mmm mmmm mmmmm", false), "Jan January J");
  EXPECT_EQ(format_number(45627, "[$-804]mmm mmmm mmmmm", false), "12月 十二月 十");
  EXPECT_EQ(format_number(45354, "ddd dddd aaa aaaa", false), "Sun Sunday 日 星期日");
}

TEST(Dates, SystemFormatsAreThoseOfAChineseWindows) {
  EXPECT_EQ(format_number(45352.75, "[$-x-sysdate]dddd, mmmm dd, yyyy", false), "2024年3月1日");
  EXPECT_EQ(format_number(45352.75, "[$-F400]h:mm:ss AM/PM", false), "18:00:00");
  EXPECT_EQ(format_number(45352.75, "[$-x-systime]h:mm AM/PM", false), "18:00:00");
  EXPECT_EQ(format_number(45352, "[$-zh-CN]dddd", false), "星期五");
}

TEST(Rendering, GeneralIgnoresTheCLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  bool switched = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German_Germany.1252", "de-DE"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      switched = true;
      break;
    }
  }
  const std::string general = format_number(1234.5, "General", false);
  const std::string fixed = format_number(1234.5, "#,##0.00", false);
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!switched) GTEST_SKIP() << "no locale with a decimal comma on this system";
  EXPECT_EQ(general, "1234.5");
  EXPECT_EQ(fixed, "1,234.50");
}

TEST(Rendering, ValuesWithoutANumberShowAnError) {
  EXPECT_EQ(format_number(std::numeric_limits<double>::quiet_NaN(), "General", false), "#NUM!");
  EXPECT_EQ(format_number(std::numeric_limits<double>::infinity(), "0.00", false), "#NUM!");
}

TEST(Rendering, ExtremeValuesKeepTheirDigits) {
  EXPECT_EQ(format_number(1e300, "0", false), std::string("1") + std::string(300, '0'));
  EXPECT_EQ(format_number(-1e300, "#,##0", false).size(), 1 + 301 + 100u);
  EXPECT_EQ(format_number(1e-300, "0.00E+00", false), "1.00E-300");
  EXPECT_EQ(format_number(9.9999, "0.00E+00", false), "1.00E+01");
  EXPECT_EQ(format_number(999.96, "##0.0E+0", false), "1.0E+3");
  EXPECT_EQ(format_number(50, "?/?", false), "50/1");
  EXPECT_EQ(format_number(1e14, "?/1000000", false), "100000000000000");
  EXPECT_EQ(format_number(2.5, "?/123456789", false), "308641973/123456789");
  EXPECT_EQ(format_number(1e20, "# ?/?", false), "1E+20");
  EXPECT_EQ(format_number(0.123456789, "# ???\?\?/?????", false), "    10/81   ");
  EXPECT_EQ(format_number(1e9, "[h]:mm", false), "24000000000:00");
  EXPECT_EQ(format_number(1e300, "yyyy/m/d", false), "1E+300");
  // A hundred times the number is past the largest double.
  EXPECT_EQ(format_number(1e308, "0%", false), "1E+308");
  EXPECT_EQ(format_number(-1.5e307, "0.00%", false), "-1.5E+307");
  EXPECT_EQ(format_number(1e308, "# ?/?%", false), "1E+308");
  EXPECT_EQ(format_number(1e306, "0%", false), std::string("1") + std::string(308, '0') + "%");
}

TEST(Rendering, SurvivesBrokenCodes) {
  // Whatever such a code shows, it must not crash or hang the reader.
  const char* codes[] = {"\"unterminated", "[", "[$", "[$-", "[$-zzzz]0", "[<]0", "[>abc]0", "\\", "_", "*",
                         ";;;;;;", "0.", ".", "E+", "0E+", "/", "0/", "?/0", "# ?/1000000000000", "[hh",
                         "\xE5\x85", "0.0.0", ",,,", "%%%", "@@", "General;General;General;General;0",
                         "yyyymmmmmmmmddddddddhhhhmmmmssss.0000000", "[h][m][s]", "[Red", "0;[=1", "a/p/a/p"};
  for (const char* code : codes) {
    for (double value : {0.0, -1.5, 12345.678, 1e300, -1e-300}) {
      (void)format_number(value, code, false);
    }
  }
  EXPECT_EQ(format_number(5, "\"unterminated", false), "unterminated");
  EXPECT_EQ(format_number(5, ";;", false), "");  // a section may hide a value on purpose
}

TEST(Rendering, RunsOfOneTokenCostTheirLengthOnce) {
  // Each of these once cost time in the square of the run, for every cell
  // (a sheet of such cells held the reader for hours).
  const std::string commas(1'000, ',');
  EXPECT_EQ(format_number(1234567, "0" + commas + "0", false), "1,234,567");
  EXPECT_EQ(format_number(1234567, "0" + commas, false), "0");
  EXPECT_EQ(format_number(5, commas + "0", false), commas + "5");
  const std::string numerator = std::string(1'000, '?') + "/?";
  const std::string points = std::string("0") + std::string(1'000, '.');
  for (int cell = 0; cell < 10'000; ++cell) {
    ASSERT_EQ(format_number(0.5, numerator, false), std::string(999, ' ') + "1/2");
    ASSERT_EQ(format_number(0, points, false), "0");
  }
  EXPECT_EQ(format_number(1.5, std::string("0E+0") + std::string(1'000, '.'), false), "2E+0");
  // Without integer placeholders the integer digits show once, at the first point.
  EXPECT_EQ(format_number(12.5, ".0.", false), "12.5.");
}

// A text repeated by every @ of a code grows no longer than a cell's worth:
// past it the text shows as it is.
TEST(Rendering, TextsRepeatedByTheirCodeStayWithinACell) {
  sheetlib::NumberFormatter formatter;
  const std::string ats(1'000, '@');
  std::string repeated;
  for (int i = 0; i < 1'000; ++i) repeated += "ab";
  EXPECT_EQ(formatter.format_text("ab", ats), repeated);
  EXPECT_EQ(formatter.format_text(std::string(1'000, 'x'), ats), std::nullopt);
}

TEST(Rendering, CodesLongerThanAnyApplicationWritesShowAsGeneral) {
  const std::string text(1'014, 'x');
  const std::string code_1024 = "0.00\"" + text + "\"0000";
  ASSERT_EQ(code_1024.size(), 1'024u);
  EXPECT_EQ(format_number(1.5, code_1024, false), "1.50" + text + "0000");
  EXPECT_EQ(format_number(1.5, code_1024 + "0", false), "1.5");
  EXPECT_EQ(format_number(45352, std::string("yyyy") + std::string(2'000, ' '), false), "45352");
}

TEST(Rendering, SameResultsWhenDistinctCodesOverflowTheCache) {
  for (int i = 0; i < 5000; ++i) {
    const std::string code = "0.00\" #" + std::to_string(i) + "\"";
    ASSERT_EQ(format_number(1.5, code, false), "1.50 #" + std::to_string(i));
  }
  EXPECT_EQ(format_number(1.5, "0.00\" #1\"", false), "1.50 #1");
}

}  // namespace
