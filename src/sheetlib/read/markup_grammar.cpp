#include "sheetlib/read/markup_grammar.h"

#include <algorithm>

namespace sheetlib::markup {

bool is_run_property(std::string_view name) {
  static constexpr std::string_view kNames[] = {"rFont",  "charset", "family", "b",  "i", "strike",    "outline",
                                                "shadow", "condense", "extend", "color", "sz", "u", "vertAlign",
                                                "scheme"};
  for (const std::string_view known : kNames)
    if (name == known) return true;
  return false;
}

bool GatheredText::add_copied(const char* begin, const char* end, bool plain) {
  if (!copied_) {
    copy_.assign(view_);
    copied_ = true;
  }
  if (plain) {
    copy_.append(begin, end);
    return true;
  }
  return decode_text(begin, end, copy_);
}

ElementReader::ElementReader(Element root, std::string_view prefix, const ReadLimits& limits,
                             xml::MarkupBudget& budget)
    : allowance_(&budget),
      tag_(std::make_unique<StartTag>()),
      prefix_(prefix),
      root_(root),
      // <sheetData> lies at depth 2 of a worksheet, <sst> at depth 1.
      most_open_(std::clamp(limits.max_element_depth - (root == Element::table ? 1 : 2), 0, kMostOpen)) {}

// An end tag written otherwise than the open element's start tag: the
// root's, one with white space before its '>', or one that closes nothing.
bool ElementReader::read_other_end(const char*& p, const char* end, Element& closed) {
  std::string_view qualified, local;
  if (!read_end_tag(p, end, qualified, local) || !has_prefix(qualified, local)) return false;
  if (depth_ == 0) {
    closed = root_;
    return same_name(local, root_ == Element::table ? "sst" : "sheetData");
  }
  if (!same_name(qualified, open_[depth_ - 1].name)) return false;
  closed = open_[--depth_].element;
  return true;
}

}  // namespace sheetlib::markup
