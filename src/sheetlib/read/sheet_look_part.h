// The look that a worksheet part holds (see sheet_look.h), read when a load
// asks for it: the rows' heights and every cell's style from the rows of
// <sheetData>, whichever reader reads them (SheetCells notes them), and
// from the elements around them, which expat reads on every route, the
// default sizes, hidden columns, view, filter, validations, conditional
// formats, links and print setup (SheetLookPart).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/core/sheet_look.h"
#include "sheetlib/read/markup_fragment.h"
#include "sheetlib/read/xml_stream.h"

namespace sheetlib {

// Validations, conditional formats, links and the ranges of one sqref
// kept at most.
constexpr std::size_t kMaxLookRanges = 65'536;

// What the rows of a sheet, or of one piece of it, say of the look.
struct RowsLook {
  CellStyles styles;
  std::vector<RowLook> rows;  // in the file's order
  // Appends what a later piece of the sheet holds.
  void append(const RowsLook& later);
};

// What the reading of a worksheet part leaves of the look. Links keep the
// id of their relationship in `link_ids`, to be resolved through the
// worksheet's relationships once the part is read.
struct WorksheetLook {
  SheetLook sheet;
  RowsLook rows;
  std::vector<std::string> link_ids;  // one per sheet.links entry
  // Moves all into `look`: rows in row order (the last of a row given
  // twice kept), cell styles finished.
  void finish_into(Look& look);
};

// "A1" or "A1:C3" ('$' anchors allowed) as a range; false when malformed.
bool parse_range(std::string_view reference, MergedRange& range);
// A list of ranges parted by spaces (a sqref); false when any is
// malformed, or when there are none or too many.
bool parse_ranges(std::string_view references, std::vector<MergedRange>& ranges);

// The formula of a print titles name ("'My Sheet'!$1:$2,'My Sheet'!$A:$B")
// as its rows and columns; false when unreadable.
bool parse_print_titles(std::string_view formula, LineSpan& rows, LineSpan& columns);
// The formula of a print area name ("Sheet1!$A$1:$F$20,Sheet1!$H$1:$H$5");
// whole rows or columns reach the sheet's edge. False when unreadable.
bool parse_print_area(std::string_view formula, std::vector<MergedRange>& area);

// Reads the elements of a worksheet around <sheetData>: it gets the events
// of every element below <worksheet> but <sheetData> and what it holds,
// with the depth of each (<worksheet> is 1).
class SheetLookPart {
 public:
  explicit SheetLookPart(WorksheetLook& look) : look_(look) {}
  void start(int depth, xml::Name name, const xml::Attributes& attributes);
  void end(int depth, xml::Name name);
  void text(std::string_view text) {
    if (fragment_.active()) fragment_.text(text);
  }

 private:
  enum class Into : std::uint8_t {
    none, validation, rule, print_options, page_margins, page_setup, header_footer
  };
  enum class List : std::uint8_t { none, properties, columns, views, validations, conditional, links };

  void start_item(int depth, xml::Name name, const xml::Attributes& attributes);
  void begin_fragment(Into into, xml::Name name, const xml::Attributes& attributes, std::string_view left_out = {});
  void end_fragment();
  void end_conditional_formatting();

  WorksheetLook& look_;
  List list_ = List::none;
  bool in_view_ = false;    // inside the first <sheetView>
  bool view_read_ = false;  // the first <sheetView> was read: the others are left out
  FragmentWriter fragment_;
  Into fragment_into_ = Into::none;
  // The ranges of the validation or conditional formatting being read,
  // and the latter's rules so far.
  std::vector<MergedRange> ranges_;
  bool ranges_read_ = false;
  std::string rules_;
  bool rules_whole_ = true;
};

}  // namespace sheetlib
