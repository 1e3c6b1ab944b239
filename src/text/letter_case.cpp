#include "text/letter_case.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace colsplit {

namespace {

#include "text/letter_case_table.inc"

}  // namespace

char32_t upper_case(char32_t code_point) {
  if (code_point < 0x80) return code_point >= U'a' && code_point <= U'z' ? code_point - 0x20 : code_point;
  const auto* range = std::upper_bound(std::begin(kUpperCaseRanges), std::end(kUpperCaseRanges), code_point,
                                       [](char32_t c, const UpperCaseRange& r) { return c < r.first; });
  if (range == std::begin(kUpperCaseRanges)) return code_point;
  --range;
  if (code_point > range->last || (code_point - range->first) % range->stride != 0) return code_point;
  return static_cast<char32_t>(static_cast<std::int32_t>(code_point) + range->delta);
}

}  // namespace colsplit
