// The look of a worksheet substream: every cell's XF (valued and blank
// cells alike), the rows' heights and hidden rows, hidden columns, default
// sizes, the view (WINDOW2, PANE, SCL) and the print setup (SETUP, the
// margins, the print options, header and footer), made into SheetLook.
// Only loads that asked for the look see these records here; a record too
// short for its fields is passed over. Hyperlinks (cell_links.h), data
// validations (validations.h) and conditional formats
// (conditional_formats.h) are read too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sheetlib/core/sheet_look.h"
#include "sheetlib/xls/biff_records.h"
#include "sheetlib/xls/biff_strings.h"
#include "sheetlib/xls/conditional_formats.h"

namespace sheetlib::xls {

class SheetLooksReader {
 public:
  // `xf_count`: the XF records of the globals; a cell naming one past them
  // has no style.
  SheetLooksReader(Look& look, std::size_t xf_count, const StringForm& form)
      : look_(look), xf_count_(xf_count), form_(form), conditional_formats_(look) {}

  // A record of the sheet itself (not of a chart inside it).
  void take(const Record& record);
  // Sorts and completes what the records left; the cell styles are finished.
  void finish();
  // Whether the sheet has an AutoFilter (its range is a name of the globals).
  bool has_filter() const { return has_filter_; }

 private:
  void add_style(std::uint32_t row, std::uint32_t column, std::uint16_t xf);
  void take_row(std::string_view data);
  void take_window(std::string_view data);
  void take_setup(std::string_view data);
  void take_header_footer(std::string_view data, std::string& text);

  Look& look_;
  std::size_t xf_count_;
  StringForm form_;
  bool has_filter_ = false;
  ConditionalFormatsReader conditional_formats_;

  bool frozen_ = false;
  std::uint32_t pane_columns_ = 0, pane_rows_ = 0;
  int window_zoom_ = 0, scl_zoom_ = 0;
  double standard_width_ = 0;

  // Margins in inches, < 0 when the sheet gives none.
  double margins_[6] = {-1, -1, -1, -1, -1, -1};  // left, right, top, bottom, header, footer
  bool fit_to_page_ = false;
  bool has_setup_ = false;
  std::uint16_t paper_ = 0, scale_ = 0, fit_width_ = 1, fit_height_ = 1;
  int orientation_ = 0;  // 0 not set, 1 portrait, 2 landscape
  bool print_options_[4] = {};  // horizontally centred, vertically centred, headings, gridlines
  std::string header_, footer_;
};

}  // namespace sheetlib::xls
