// The styles part, as far as reading shows it: the number format of every
// cell style (cellXfs), custom format codes (numFmt) before built-in ones.
#pragma once

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

 private:
  std::vector<std::string> codes_;
  std::vector<bool> general_;
};

}  // namespace sheetlib
