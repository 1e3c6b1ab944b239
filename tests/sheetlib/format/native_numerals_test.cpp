// Chinese numerals and Japanese eras beyond the cases recorded from
// LibreOffice: the rules at their edges, and that every character they
// write survives the way to GBK.
#include <gtest/gtest.h>

#include <string>

#include "sheetlib/format/native_numerals.h"
#include "sheetlib/format/number_format.h"
#include "text/encoding.h"

namespace {

using sheetlib::format_number;
using sheetlib::format::append_counted;
using sheetlib::format::NumeralStyle;
using sheetlib::format::Numerals;

std::string counted(const char* digits, Numerals numerals, bool date_field = false, bool traditional = false) {
  std::string out;
  append_counted(digits, NumeralStyle{numerals, traditional}, date_field, out);
  return out;
}

TEST(ChineseNumerals, ZerosReadAsOneZeroUnlessTheyEndAGroup) {
  EXPECT_EQ(counted("10000001", Numerals::lower), "一千万〇一");
  EXPECT_EQ(counted("100000000001", Numerals::lower), "一千亿〇一");
  EXPECT_EQ(counted("1000000100000000", Numerals::lower), "一千兆〇一亿");
  EXPECT_EQ(counted("10100", Numerals::upper), "壹万零壹佰");
  EXPECT_EQ(counted("0000", Numerals::lower), "〇");
  EXPECT_EQ(counted("", Numerals::upper), "零");
  EXPECT_EQ(counted("007", Numerals::lower), "七");
  // Full-width numerals keep every digit.
  EXPECT_EQ(counted("007", Numerals::full_width), "００７");
}

TEST(ChineseNumerals, OnlyADateFieldOfTenToNineteenDropsItsOne) {
  EXPECT_EQ(counted("10", Numerals::lower, true), "十");
  EXPECT_EQ(counted("19", Numerals::upper, true), "拾玖");
  EXPECT_EQ(counted("21", Numerals::lower, true), "二十一");
  EXPECT_EQ(counted("110", Numerals::lower, true), "一百一十");
  EXPECT_EQ(counted("10", Numerals::lower, false), "一十");
  // Elapsed hours are a date field too, however many.
  EXPECT_EQ(format_number(4.5, "[DBNum1][h]\"小时\"", false), "一百〇八小时");
  EXPECT_EQ(format_number(0.5, "[DBNum1][h]\"小时\"", false), "十二小时");
}

TEST(ChineseNumerals, LocaleTagsChooseSimplifiedOrTraditionalCharacters) {
  for (const char* tag : {"[$-404]", "[$-C04]", "[$-1404]", "[$-7C04]", "[$-zh-TW]", "[$-zh-HK]", "[$-zh-Hant]"}) {
    EXPECT_EQ(format_number(20000.5, std::string("[DBNum2]") + tag + "General", false), "貳萬點伍") << tag;
  }
  for (const char* tag : {"", "[$-804]", "[$-1004]", "[$-4]", "[$-zh-CN]", "[$-zh-SG]"}) {
    EXPECT_EQ(format_number(20000.5, std::string("[DBNum2]") + tag + "General", false), "贰万点伍") << tag;
  }
  // The tag may stand on either side, in any letter case.
  EXPECT_EQ(format_number(3, "[$-404][dbnum2]0", false), "參");
}

TEST(ChineseNumerals, EachSectionHasItsOwnNumerals) {
  const char* code = "[DBNum1]0.0;[DBNum2]0.0;\"零\";@";
  EXPECT_EQ(format_number(12.5, code, false), "一十二．五");
  EXPECT_EQ(format_number(-12.5, code, false), "壹拾贰点伍");
  EXPECT_EQ(format_number(0, code, false), "零");
  EXPECT_EQ(format_number(150, "[DBNum1][>100]\"多\"0;0", false), "多一百五十");
  EXPECT_EQ(format_number(50, "[DBNum1][>100]\"多\"0;0", false), "50");
  // A tag the renderer has no numerals for changes nothing.
  EXPECT_EQ(format_number(1234, "[DBNum4]0", false), "1234");
}

TEST(ChineseNumerals, DatesCountTheirFieldsAndReadTheYearDigitByDigit) {
  // 2000-10-10 10:10:10 in the 1904 date system as well.
  const double serial = 36809 + (10 * 3600 + 10 * 60 + 10) / 86400.0;
  const char* code = "[DBNum1]yyyy\"年\"m\"月\"d\"日\"h\"时\"m\"分\"s\"秒\"";
  EXPECT_EQ(format_number(serial, code, false), "二〇〇〇年十月十日十时十分十秒");
  EXPECT_EQ(format_number(serial - 1462, code, true), "二〇〇〇年十月十日十时十分十秒");
  EXPECT_EQ(format_number(serial, "[DBNum2]yy/mm/dd", false), "零零/拾/拾");
  EXPECT_EQ(format_number(serial, "[DBNum3]h:mm:ss.00", false), "１０:１０:１０．００");
  EXPECT_EQ(format_number(0.75, "[DBNum1]上午/下午h\"时\"", false), "下午六时");
}

TEST(ChineseNumerals, EveryCharacterWrittenIsInGbk) {
  std::string all;
  for (const Numerals numerals : {Numerals::lower, Numerals::upper, Numerals::full_width}) {
    for (const bool traditional : {false, true}) {
      const NumeralStyle style{numerals, traditional};
      all += sheetlib::format::to_native_numerals("-1,234,567,890,123,456,789.0123456789%", style);
      all += sheetlib::format::decimal_point(style);
      append_counted("1000000000000000000000000", style, false, all);
    }
  }
  for (const double serial : {1.0, 4595.0, 9856.0, 32516.0, 43586.0}) {
    all += format_number(serial, "[$-411]ggggge dddd aaaa mmmm AM/PM", false);
    all += format_number(serial, "[$-411]g gg", false);
  }
  all += format_number(43586, "[$-ja-JP-x-gannen]ggge", false);
  const std::string gbk = colsplit::utf8_to_gbk(all);
  EXPECT_EQ(gbk.find('?'), std::string::npos);
  EXPECT_EQ(colsplit::gbk_to_utf8(gbk), all);
  // Two bytes each: none needs the four-byte sequences that GB18030 adds
  // for characters GBK lacks.
  for (std::size_t i = 0; i < gbk.size(); ++i) {
    if (static_cast<unsigned char>(gbk[i]) < 0x80) continue;
    ASSERT_LT(i + 1, gbk.size());
    const auto second = static_cast<unsigned char>(gbk[++i]);
    EXPECT_FALSE(second >= 0x30 && second <= 0x39) << "a four-byte sequence at byte " << i - 1;
  }
}

TEST(JapaneseEras, EachEraBeginsOnItsFirstDay) {
  const char* code = "[$-411]ggge\"年\"m\"月\"d\"日\"";
  struct Case {
    double serial;
    const char* expected;
  };
  const Case cases[] = {
      {0, "明治33年1月0日"},  // the 1900 system's day 0
      {60, "明治33年2月29日"},  // and its fictitious leap day
      {4594, "明治45年7月29日"}, {4595, "大正1年7月30日"},   {9855, "大正15年12月24日"},
      {9856, "昭和1年12月25日"}, {32515, "昭和64年1月7日"}, {32516, "平成1年1月8日"},
      {43585, "平成31年4月30日"}, {43586, "令和1年5月1日"},  {2958465, "令和7981年12月31日"},
  };
  for (const Case& c : cases) EXPECT_EQ(format_number(c.serial, code, false), c.expected) << c.serial;
  // The 1904 system counts from 1904-01-01.
  EXPECT_EQ(format_number(32516 - 1462, code, true), "平成1年1月8日");
}

TEST(JapaneseEras, LettersOfTheEraOutsideJapaneseDates) {
  // e and ee are the year; g shows nothing.
  EXPECT_EQ(format_number(44197, "ee/m/d", false), "2021/1/1");
  EXPECT_EQ(format_number(44197, "[$-804]gge\"年\"", false), "2021年");
  // A number code with an unquoted g (grams) is no code: General, as
  // LibreOffice shows it.
  EXPECT_EQ(format_number(12.5, "0.0 g", false), "12.5");
  // The Gannen tag reads 元 only in an era's first year.
  EXPECT_EQ(format_number(43831, "[$-ja-JP-x-gannen]ggge\"年\"", false), "令和2年");
  EXPECT_EQ(format_number(32516, "[$-ja-JP-x-gannen]ggge\"年\"", false), "平成元年");
}

}  // namespace
