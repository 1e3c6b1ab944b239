// The conditional formats of a BIFF8 sheet: a CONDFMT record (the ranges)
// followed by its CF records (a rule each, with the formatting it applies
// as a differential format), made into RangedItem markup and BookLook
// dxfs. Only rules comparing the cell's value with plain constants or
// references (simple_formulas.h) are kept; the formatting keeps its font
// (bold, italic, underline, strike, colour), fill and borders.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "sheetlib/core/sheet_look.h"

namespace sheetlib::xls {

class ConditionalFormatsReader {
 public:
  explicit ConditionalFormatsReader(Look& look) : look_(look) {}

  void take_ranges(std::string_view condfmt);
  void take_rule(std::string_view cf);
  // Keeps the last format read.
  void finish();

 private:
  std::string dxf_fragment(std::string_view dxfn) const;
  std::size_t dxf_index(const std::string& dxf);

  Look& look_;
  RangedItem pending_;
  std::size_t rules_left_ = 0;  // CF records the CONDFMT announced
  int priority_ = 0;
  std::unordered_map<std::string, std::size_t> known_dxfs_;
};

}  // namespace sheetlib::xls
