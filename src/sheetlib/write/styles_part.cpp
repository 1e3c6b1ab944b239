#include <algorithm>
#include <string_view>

#include "sheetlib/core/style_names.h"
#include "sheetlib/write/parts.h"
#include "sheetlib/core/xml_text.h"

namespace sheetlib {

namespace {

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

// The default font. The package has no theme part of a book without a
// look, so the font names itself instead of referring to the theme's colour
// and font scheme; a book with a theme refers to its minor font, as Excel
// writes it.
constexpr std::string_view kPlainDefaultFont =
    "<font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font>";
constexpr std::string_view kEmptyFill = "<fill><patternFill patternType=\"none\"/></fill>";
constexpr std::string_view kEmptyBorder = "<border><left/><right/><top/><bottom/><diagonal/></border>";

// The latin typeface of the theme's minor font (the body text), or Calibri.
std::string minor_font_name(std::string_view theme) {
  constexpr std::string_view kTypeface = "typeface=\"";
  const std::size_t minor = theme.find("minorFont>");
  const std::size_t latin = minor == std::string_view::npos ? minor : theme.find("latin ", minor);
  const std::size_t start = latin == std::string_view::npos ? latin : theme.find(kTypeface, latin);
  const std::size_t end = start == std::string_view::npos ? start : theme.find('"', start + kTypeface.size());
  // Font names are short: anything long is not one.
  constexpr std::size_t kLongestName = 128;
  if (end == std::string_view::npos || end == start + kTypeface.size() ||
      end - start > kTypeface.size() + kLongestName) {
    return "Calibri";
  }
  return std::string(theme.substr(start + kTypeface.size(), end - start - kTypeface.size()));
}

std::string default_font(const BookLook& look) {
  if (look.theme.empty()) return std::string(kPlainDefaultFont);
  std::string font = "<font><sz val=\"11\"/><color theme=\"1\"/><name val=\"";
  // The typeface is an attribute value already, escaped as the theme has it.
  font += minor_font_name(look.theme);
  font += "\"/><family val=\"2\"/><scheme val=\"minor\"/></font>";
  return font;
}

// A list of the look's fragments after `fixed` entries of the part's own.
void append_list(std::string& xml, std::string_view element, std::string_view fixed, std::size_t fixed_count,
                 const std::vector<std::string>& fragments) {
  xml += '<';
  xml += element;
  xml += " count=\"";
  append_number(xml, fixed_count + fragments.size());
  xml += "\">";
  xml += fixed;
  for (const std::string& fragment : fragments) xml += fragment;
  xml += "</";
  xml += element;
  xml += '>';
}

// The id of a look's font, fill or border: the part's own first entry when
// the fragment is the same, so that the format applies nothing of it.
std::size_t part_id(const std::vector<std::string>& fragments, std::uint32_t index, std::size_t offset,
                    std::string_view own_default) {
  if (index >= fragments.size() || fragments[index] == own_default) return 0;
  return offset + index;
}

void append_id(std::string& xml, std::string_view name, std::uint64_t id) {
  xml += ' ';
  xml += name;
  xml += "=\"";
  append_number(xml, id);
  xml += '"';
}

bool starts_with(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

// A format taken from a loaded book: its parts are the look's, after the
// part's own fonts, fills and borders.
void append_look_format(std::string& xml, const CellLook& cell, std::uint64_t number_format, const BookLook& look,
                        std::string_view font, std::size_t own_borders) {
  const std::size_t font_id = part_id(look.fonts, cell.font, 1, font);
  const std::size_t fill_id = part_id(look.fills, cell.fill, 2, kEmptyFill);
  const std::size_t border_id = part_id(look.borders, cell.border, own_borders, kEmptyBorder);
  const bool alignment = starts_with(cell.alignment, "<alignment");
  const bool protection = starts_with(cell.protection, "<protection");
  xml += "<xf";
  append_id(xml, "numFmtId", number_format);
  append_id(xml, "fontId", font_id);
  append_id(xml, "fillId", fill_id);
  append_id(xml, "borderId", border_id);
  xml += " xfId=\"0\"";
  if (number_format != 0) xml += " applyNumberFormat=\"1\"";
  if (font_id != 0) xml += " applyFont=\"1\"";
  if (fill_id != 0) xml += " applyFill=\"1\"";
  if (border_id != 0) xml += " applyBorder=\"1\"";
  if (alignment) xml += " applyAlignment=\"1\"";
  if (protection) xml += " applyProtection=\"1\"";
  if (!alignment && !protection) {
    xml += "/>";
    return;
  }
  xml += '>';
  if (alignment) xml += cell.alignment;
  if (protection) xml += cell.protection;
  xml += "</xf>";
}

}  // namespace

std::string styles_part(const std::vector<CellFormatToWrite>& formats, const std::vector<std::string>& custom_codes,
                        const BookLook& look) {
  const auto valid_border = [](int style) {
    return style >= 0 && style < static_cast<int>(std::size(kBorderStyleNames)) ? style : 0;
  };
  // One border element per distinct style, the empty border first (the
  // default format uses it); formats refer to them by position.
  std::vector<int> borders{0};
  for (const CellFormatToWrite& format : formats) {
    if (format.look) continue;
    const int style = valid_border(format.border);
    if (std::find(borders.begin(), borders.end(), style) == borders.end()) borders.push_back(style);
  }
  const std::size_t number_formats = kFirstCustomNumberFormat + custom_codes.size();
  const std::string font = default_font(look);

  std::string xml = kXmlDeclaration;
  xml += "<styleSheet xmlns=\"";
  xml += kSpreadsheetNamespace;
  xml += "\">";
  // Built-in formats (ids below 164) are referred to by id alone: how they
  // look is the reading application's, in its locale, as in the file they
  // came from.
  append_number_formats(xml, custom_codes);
  append_list(xml, "fonts", font, 1, look.fonts);
  // The second fill is required: spreadsheet applications reserve it.
  std::string own_fills(kEmptyFill);
  own_fills += "<fill><patternFill patternType=\"gray125\"/></fill>";
  append_list(xml, "fills", own_fills, 2, look.fills);
  std::string own_borders;
  for (int style : borders) append_border(own_borders, style);
  append_list(xml, "borders", own_borders, borders.size(), look.borders);
  xml +=
      "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
      "</cellStyleXfs><cellXfs count=\"";
  append_number(xml, formats.size() + 1);
  xml += "\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>";
  for (const CellFormatToWrite& format : formats) {
    const bool known_number_format =
        format.number_format > 0 && static_cast<std::size_t>(format.number_format) < number_formats;
    const std::uint64_t number_format = known_number_format ? static_cast<std::uint64_t>(format.number_format) : 0;
    if (format.look) {
      append_look_format(xml, *format.look, number_format, look, font, borders.size());
      continue;
    }
    const auto border_id = static_cast<std::size_t>(
        std::find(borders.begin(), borders.end(), valid_border(format.border)) - borders.begin());
    xml += "<xf numFmtId=\"";
    append_number(xml, number_format);
    xml += "\" fontId=\"0\" fillId=\"0\" borderId=\"";
    append_number(xml, border_id);
    xml += "\" xfId=\"0\"";
    if (known_number_format) xml += " applyNumberFormat=\"1\"";
    if (border_id != 0) xml += " applyBorder=\"1\"";
    xml += "/>";
  }
  xml += "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>";
  if (!look.dxfs.empty()) append_list(xml, "dxfs", "", 0, look.dxfs);
  if (starts_with(look.colors, "<colors>")) xml += look.colors;
  xml += "</styleSheet>";
  return xml;
}

}  // namespace sheetlib
