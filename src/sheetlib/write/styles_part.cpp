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

// A format code as an attribute value. Besides tab and the line breaks
// (written as references, which keep them), control characters cannot be
// part of an XML file at all; an application could not show them either,
// so they are left out.
void append_format_code(std::string& xml, std::string_view utf8) {
  std::string code;
  code.reserve(utf8.size());
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r') code += c;
  }
  append_escaped_attribute(xml, code);
}

void append_number_formats(std::string& xml, const std::vector<std::string>& custom_codes) {
  if (custom_codes.empty()) return;
  xml += "<numFmts count=\"";
  append_number(xml, custom_codes.size());
  xml += "\">";
  for (std::size_t i = 0; i < custom_codes.size(); ++i) {
    xml += "<numFmt numFmtId=\"";
    append_number(xml, kFirstCustomNumberFormat + i);
    xml += "\" formatCode=\"";
    append_format_code(xml, custom_codes[i]);
    xml += "\"/>";
  }
  xml += "</numFmts>";
}

}  // namespace

std::string styles_part(const std::vector<CellFormatToWrite>& formats, const std::vector<std::string>& custom_codes,
                        const BookLook& /*look*/) {
  const auto valid_border = [](int style) {
    return style >= 0 && style < static_cast<int>(std::size(kBorderStyleNames)) ? style : 0;
  };
  // One border element per distinct style, the empty border first (the
  // default format uses it); formats refer to them by position.
  std::vector<int> borders{0};
  for (const CellFormatToWrite& format : formats) {
    const int style = valid_border(format.border);
    if (std::find(borders.begin(), borders.end(), style) == borders.end()) borders.push_back(style);
  }
  const std::size_t number_formats = kFirstCustomNumberFormat + custom_codes.size();

  std::string xml = kXmlDeclaration;
  xml += "<styleSheet xmlns=\"";
  xml += kSpreadsheetNamespace;
  xml += "\">";
  // Built-in formats (ids below 164) are referred to by id alone: how they
  // look is the reading application's, in its locale, as in the file they
  // came from.
  append_number_formats(xml, custom_codes);
  xml +=
      // The package has no theme part, so the font names itself instead of
      // referring to the theme's colour and font scheme.
      "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
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
  append_number(xml, formats.size() + 1);
  xml += "\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>";
  for (const CellFormatToWrite& format : formats) {
    const auto border_id = static_cast<std::size_t>(
        std::find(borders.begin(), borders.end(), valid_border(format.border)) - borders.begin());
    const bool known_number_format =
        format.number_format > 0 && static_cast<std::size_t>(format.number_format) < number_formats;
    xml += "<xf numFmtId=\"";
    append_number(xml, known_number_format ? static_cast<std::uint64_t>(format.number_format) : 0);
    xml += "\" fontId=\"0\" fillId=\"0\" borderId=\"";
    append_number(xml, border_id);
    xml += "\" xfId=\"0\"";
    if (known_number_format) xml += " applyNumberFormat=\"1\"";
    if (border_id != 0) xml += " applyBorder=\"1\"";
    xml += "/>";
  }
  xml +=
      "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
      "</styleSheet>";
  return xml;
}

}  // namespace sheetlib
