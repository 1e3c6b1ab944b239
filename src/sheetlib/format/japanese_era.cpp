#include "sheetlib/format/japanese_era.h"

namespace sheetlib::format {

namespace {

struct EraStart {
  int year, month, day;
  const char* initial;
  const char* first;
  const char* name;
};

// Each era begins on the day its emperor's reign did (Meiji by its own
// reckoning from the start of 1868, long before any spreadsheet date).
constexpr EraStart k_eras[] = {
    {1868, 1, 1, "M", "明", "明治"},
    {1912, 7, 30, "T", "大", "大正"},
    {1926, 12, 25, "S", "昭", "昭和"},
    {1989, 1, 8, "H", "平", "平成"},
    {2019, 5, 1, "R", "令", "令和"},
};

bool on_or_after(const CivilDate& date, const EraStart& start) {
  if (date.year != start.year) return date.year > start.year;
  if (date.month != start.month) return date.month > start.month;
  return date.day >= start.day;
}

}  // namespace

JapaneseEra japanese_era_of(const CivilDate& date) {
  int index = 0;
  for (int i = 1; i < static_cast<int>(sizeof k_eras / sizeof k_eras[0]); ++i) {
    if (on_or_after(date, k_eras[i])) index = i;
  }
  return JapaneseEra{index, date.year - k_eras[index].year + 1};
}

void append_era_name(const JapaneseEra& era, int letters, std::string& out) {
  const EraStart& start = k_eras[era.index];
  out += letters == 1 ? start.initial : letters == 2 ? start.first : start.name;
}

}  // namespace sheetlib::format
