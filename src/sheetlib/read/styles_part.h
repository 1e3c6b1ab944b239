// The styles part, as far as reading shows it: the number format of every
// cell style (cellXfs), custom format codes (numFmt) before built-in ones.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sheetlib/core/cell_grid.h"
#include "sheetlib/core/style_formats.h"
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

}  // namespace sheetlib
