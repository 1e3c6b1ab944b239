// The styles part, as far as reading shows it: the number format of every
// cell style (cellXfs), custom format codes (numFmt) before built-in ones;
// and, when a load asks for the look, the fonts, fills, borders, the cell
// styles' choice of them, the differential formats and the palette.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sheetlib/core/cell_grid.h"
#include "sheetlib/core/sheet_look.h"
#include "sheetlib/core/style_formats.h"
#include "sheetlib/read/markup_fragment.h"
#include "sheetlib/read/xml_stream.h"

namespace sheetlib {

class StylesHandler : public xml::Handler {
 public:
  // The look goes to `look` when one is given (see finish_look).
  explicit StylesHandler(BookLook* look = nullptr) : look_(look) {}
  void start(xml::Name name, const xml::Attributes& attributes) override;
  void end(xml::Name name) override;
  void text(std::string_view text) override {
    if (fragment_.active()) fragment_.text(text);
  }

  // The number format codes of the cell styles, by style index; call once
  // the part has been read (also when there is none).
  std::vector<std::string> style_format_codes() const;
  // The same as the file gives them: the id of each style's format, and the
  // code the file gives for that id (empty for a built-in id it leaves to
  // the reading application).
  std::vector<StyleNumberFormat> style_number_formats() const;
  // Once the part has been read: the cell styles' font, fill and border
  // ids that lie past their lists become 0, and the General entry that
  // follows the styles (see read_styles) gets a look of its own.
  void finish_look();

 private:
  // Where the fragment being written goes.
  enum class Into : std::uint8_t { none, fonts, fills, borders, dxfs, colors, alignment, protection };

  void start_look(xml::Name name, const xml::Attributes& attributes);
  void begin_fragment(Into into, xml::Name name, const xml::Attributes& attributes);
  void end_fragment();

  bool in_num_fmts_ = false;
  bool in_cell_xfs_ = false;
  std::unordered_map<int, std::string> custom_formats_;
  std::vector<int> style_format_ids_;

  BookLook* look_;
  int depth_ = 0;
  Into list_ = Into::none;  // the list (fonts, fills, borders, dxfs) being read
  int xf_depth_ = 0;        // of the cellXfs <xf> being read, or 0
  FragmentWriter fragment_;
  Into fragment_into_ = Into::none;
};

}  // namespace sheetlib
