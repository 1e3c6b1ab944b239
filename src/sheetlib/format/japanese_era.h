// The eras of the Japanese calendar, which the letters g and e of a Japanese
// date format show: 令和3年1月1日 is 2021-01-01.
#pragma once

#include <string>

#include "sheetlib/format/calendar.h"

namespace sheetlib::format {

struct JapaneseEra {
  int index;  // 0 Meiji, 1 Taisho, 2 Showa, 3 Heisei, 4 Reiwa
  int year;   // the year of the era, 1 in the year it began
};

// The era of a date from 1868 on; the spreadsheet's own dates (1900 and
// later, the fictitious 1900-02-29 and 1900-01-00 among them) are all Meiji
// or later.
JapaneseEra japanese_era_of(const CivilDate& date);

// g: the era's Latin initial (R); gg: its first character (令); ggg: its
// name (令和).
void append_era_name(const JapaneseEra& era, int letters, std::string& out);

}  // namespace sheetlib::format
