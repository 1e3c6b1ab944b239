// The look of the workbook's cell styles, from the records of the globals:
// FONT, XF and PALETTE, made into the fragments a styles part holds
// (sheet_look.h). Colours stay palette indexes (<color indexed="N"/>), as
// the records give them; the palette itself goes into BookLook::colors when
// the workbook has one of its own.
//
// BIFF5 and BIFF8 lay out XF records differently (BIFF5 packs the borders
// and the fill into eight bytes and has no diagonal, no indent and only four
// text orientations); FONT records differ only in how the name is stored.
//
// Damaged records cost their look only: a FONT too short is left out of the
// list, an XF too short keeps its place (the cells count on its index) with
// the default look, a font index past the list means the first font.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/core/sheet_look.h"
#include "sheetlib/xls/biff_strings.h"

namespace sheetlib::xls {

// The standard palette entries 8 … 63, as 0xRRGGBB.
extern const std::uint32_t kDefaultPalette[56];

class CellLooksBuilder {
 public:
  void add_font(const std::vector<std::string_view>& fragments, const StringForm& form);
  void add_xf(std::string_view data, bool biff5);
  void add_palette(std::string_view data);

  // The fonts, fills, borders, one CellLook per XF record, and the palette.
  void build(BookLook& book) const;

 private:
  // An XF record read, its groups as fragments; the used-attribute bits say
  // which groups a cell XF sets itself rather than taking from its style.
  struct Xf {
    std::uint16_t font = 0;  // as the record gives it (4 does not exist)
    std::uint16_t parent = 0;
    bool style = true;  // a style XF, or a cell XF that sets every group
    std::uint8_t used = 0x3F;  // font, alignment, border, fill, protection (bits 1 … 5)
    std::string fill, border, alignment, protection;
  };

  std::vector<std::string> fonts_;  // one per FONT record
  std::vector<Xf> xfs_;
  std::string colors_;
};

}  // namespace sheetlib::xls
