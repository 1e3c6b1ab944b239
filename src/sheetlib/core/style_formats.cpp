#include "sheetlib/core/style_formats.h"

namespace sheetlib {

namespace {

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

StyleFormats::StyleFormats(std::vector<std::string> codes) : codes_(std::move(codes)) {
  general_.reserve(codes_.size());
  for (const std::string& code : codes_) general_.push_back(equals_ignoring_case(code, "General"));
}

}  // namespace sheetlib
