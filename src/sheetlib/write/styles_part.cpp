#include <algorithm>
#include <string_view>

#include "sheetlib/write/parts.h"
#include "sheetlib/write/xml_text.h"

namespace sheetlib {

namespace {

// The border styles of the library's numbering, which is the order of the
// style names in the file format.
constexpr std::string_view kBorderStyleNames[] = {
    "none",   "thin",          "medium",     "dashed",           "dotted",      "thick",        "double",
    "hair",   "mediumDashed",  "dashDot",    "mediumDashDot",    "dashDotDot",  "mediumDashDotDot",
    "slantDashDot",
};

void append_border(std::string& xml, int style) {
  if (style <= 0) {
    xml += "<border><left/><right/><top/><bottom/><diagonal/></border>";
    return;
  }
  xml += "<border>";
  for (std::string_view side : {"left", "right", "top", "bottom"}) {
    xml += '<';
    xml += side;
    xml += " style=\"";
    xml += kBorderStyleNames[style];
    xml += "\"><color indexed=\"64\"/></";
    xml += side;
    xml += '>';
  }
  xml += "<diagonal/></border>";
}

}  // namespace

std::string styles_part(const std::vector<int>& format_borders) {
  // One border element per distinct style, the empty border first (the
  // default format uses it); formats refer to them by position.
  std::vector<int> borders{0};
  for (int style : format_borders) {
    if (style < 0 || style >= static_cast<int>(std::size(kBorderStyleNames))) style = 0;
    if (std::find(borders.begin(), borders.end(), style) == borders.end()) borders.push_back(style);
  }

  std::string xml = kXmlDeclaration;
  xml += "<styleSheet xmlns=\"";
  xml += kSpreadsheetNamespace;
  xml +=
      // The package has no theme part, so the font names itself instead of
      // referring to the theme's colour and font scheme.
      "\"><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
      // The second fill is required: spreadsheet applications reserve it.
      "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
      "<fill><patternFill patternType=\"gray125\"/></fill></fills>";
  xml += "<borders count=\"";
  append_number(xml, borders.size());
  xml += "\">";
  for (int style : borders) append_border(xml, style);
  xml +=
      "</borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
      "</cellStyleXfs><cellXfs count=\"";
  append_number(xml, format_borders.size() + 1);
  xml += "\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>";
  for (int style : format_borders) {
    const auto border_id = static_cast<std::size_t>(std::find(borders.begin(), borders.end(), style) - borders.begin());
    xml += "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"";
    append_number(xml, border_id < borders.size() ? border_id : 0);
    xml += "\" xfId=\"0\"";
    if (border_id != 0 && border_id < borders.size()) xml += " applyBorder=\"1\"";
    xml += "/>";
  }
  xml +=
      "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
      "</styleSheet>";
  return xml;
}

}  // namespace sheetlib
