// The number format of every cell format (XF record) of the workbook
// globals: an XF names a format by id, the FORMAT records give the codes of
// the workbook's own ids, and an id without a FORMAT record is built in.
// Writers also put FORMAT records for built-in ids (the currency formats of
// their locale): those take precedence, as a styles part's numFmt does.
//
// Formats only dress the numbers, so damaged FORMAT and XF records cost no
// cells: a format whose code cannot be read is lost, and the cells of its
// XFs show as General (a built-in id's look included, since the workbook
// meant another); a damaged XF keeps its place in the list, as General.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "sheetlib/core/cell_grid.h"
#include "sheetlib/core/style_formats.h"
#include "sheetlib/xls/biff_strings.h"

namespace sheetlib::xls {

class CellFormatsBuilder {
 public:
  // The data of a FORMAT record with its CONTINUE records; false when
  // damaged (its id, when there is one, then shows as General). BIFF5 gives
  // the code a one-byte count, BIFF8 a two-byte one.
  bool add_format(const std::vector<std::string_view>& fragments, const StringForm& form = {});
  // The data of an XF record; false when too short (it then means General).
  bool add_xf(std::string_view data);

  // The format codes of the XF records by index, as cells refer to them.
  StyleFormats build() const;
  // The number format of every XF record, by index: its id, and the code only
  // where a FORMAT record gives one (a built-in id's look is the reading
  // application's to choose, in its locale).
  std::vector<StyleNumberFormat> style_number_formats() const;

 private:
  // The code of the format an XF names, and whether a FORMAT record of its
  // id was damaged; nullptr for a built-in id.
  const std::string* own_code(std::uint16_t id, bool& lost) const;

  std::unordered_map<std::uint16_t, std::string> codes_;
  std::unordered_set<std::uint16_t> lost_ids_;
  std::vector<std::uint16_t> xf_format_ids_;
};

}  // namespace sheetlib::xls
