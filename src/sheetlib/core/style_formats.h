// The number format code of each cell style, as the cells of a sheet are
// shown with them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sheetlib {

// The format codes of the styles, with what a cell without a style (or with
// an index past the list) shows: General.
class StyleFormats {
 public:
  StyleFormats() = default;
  explicit StyleFormats(std::vector<std::string> codes);
  std::string_view code(long style) const {
    return style >= 0 && static_cast<std::size_t>(style) < codes_.size() ? std::string_view(codes_[style])
                                                                          : std::string_view("General");
  }
  bool is_general(long style) const {
    return style < 0 || static_cast<std::size_t>(style) >= general_.size() || general_[style];
  }
  // The style a typed cell keeps (an index into CellGrid::style_formats()):
  // its own, or, past the list, the General entry that follows the styles.
  std::uint32_t value_style(long style) const {
    return style >= 0 && static_cast<std::size_t>(style) < codes_.size() ? static_cast<std::uint32_t>(style)
                                                                          : general_style();
  }
  std::uint32_t general_style() const { return static_cast<std::uint32_t>(codes_.size()); }

 private:
  std::vector<std::string> codes_;
  std::vector<bool> general_;
};

}  // namespace sheetlib
