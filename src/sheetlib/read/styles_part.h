// The styles part, as far as reading shows it: the number format of every
// cell style (cellXfs), custom format codes (numFmt) before built-in ones.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sheetlib/read/xml_stream.h"

namespace sheetlib {

class StylesHandler : public xml::Handler {
 public:
  void start(xml::Name name, const xml::Attributes& attributes) override;
  void end(xml::Name name) override;

  // The number format codes of the cell styles, by style index; call once
  // the part has been read (also when there is none).
  std::vector<std::string> style_format_codes() const;
  // The same as the file gives them: the id of each style's format, and the
  // code the file gives for that id (empty for a built-in id it leaves to
  // the reading application).
  std::vector<StyleNumberFormat> style_number_formats() const;

 private:
  bool in_num_fmts_ = false;
  bool in_cell_xfs_ = false;
  std::unordered_map<int, std::string> custom_formats_;
  std::vector<int> style_format_ids_;
};

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
