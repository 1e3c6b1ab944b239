#include "sheetlib/write/look_markup.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "sheetlib/core/limits.h"
#include "sheetlib/core/xml_text.h"

namespace sheetlib {

namespace {

// Excel's largest row height, in points.
constexpr double kMaxRowHeight = 409.5;
// The row height of a sheet whose default font is the 11-point Calibri.
constexpr double kStandardRowHeight = 15;
constexpr int kMinZoom = 10;
constexpr int kMaxZoom = 400;

bool valid_range(const MergedRange& range) {
  return range.first_row <= range.last_row && range.last_row < kMaxRows && range.first_column <= range.last_column &&
         range.last_column < kMaxColumns;
}

// Whether a fragment is the element `name` (its start tag follows at once):
// a fragment of any other element would break the part's schema order.
bool is_element(std::string_view fragment, std::string_view name) {
  if (fragment.size() < name.size() + 2 || fragment[0] != '<' || fragment.substr(1, name.size()) != name) {
    return false;
  }
  const char next = fragment[name.size() + 1];
  return next == ' ' || next == '>' || next == '/';
}

// A text taken from a loaded book as an attribute value; control characters
// (other than tab and line breaks) cannot be in an XML file and are left out.
void append_attribute_text(std::string& xml, std::string_view utf8) {
  std::string text;
  text.reserve(utf8.size());
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r') text += c;
  }
  append_escaped_attribute(xml, text);
}

void append_attribute(std::string& xml, std::string_view name, std::string_view utf8) {
  if (utf8.empty()) return;
  xml += ' ';
  xml += name;
  xml += "=\"";
  append_attribute_text(xml, utf8);
  xml += '"';
}

// A top-left cell and pane, as Excel writes a view frozen at rows / columns.
void append_frozen_pane(std::string& xml, std::uint32_t rows, std::uint32_t columns) {
  const char* pane = rows != 0 && columns != 0 ? "bottomRight" : rows != 0 ? "bottomLeft" : "topRight";
  xml += "<pane";
  if (columns != 0) {
    xml += " xSplit=\"";
    append_number(xml, columns);
    xml += '"';
  }
  if (rows != 0) {
    xml += " ySplit=\"";
    append_number(xml, rows);
    xml += '"';
  }
  xml += " topLeftCell=\"";
  append_cell_reference(xml, rows, columns);
  xml += "\" activePane=\"";
  xml += pane;
  xml += "\" state=\"frozen\"/>";
  if (rows != 0 && columns != 0) xml += "<selection pane=\"topRight\"/><selection pane=\"bottomLeft\"/>";
  xml += "<selection pane=\"";
  xml += pane;
  xml += "\"/>";
}

void append_hyperlinks(std::string& xml, const std::vector<CellLink>& links) {
  std::string items;
  std::size_t relationship = 0;
  for (const CellLink& link : links) {
    if (!link_is_written(link)) continue;
    items += "<hyperlink ref=\"";
    append_range_reference(items, link.range);
    items += '"';
    if (link_has_relationship(link)) {
      items += " r:id=\"rId";
      append_number(items, ++relationship);
      items += '"';
    }
    append_attribute(items, "location", link.location);
    append_attribute(items, "tooltip", link.tooltip);
    append_attribute(items, "display", link.display);
    items += "/>";
  }
  if (items.empty()) return;
  xml += "<hyperlinks>";
  xml += items;
  xml += "</hyperlinks>";
}

void append_validations(std::string& xml, const std::vector<RangedItem>& validations) {
  constexpr std::string_view kElement = "dataValidation";
  std::string items;
  std::size_t count = 0;
  for (const RangedItem& validation : validations) {
    if (!is_element(validation.markup, kElement)) continue;
    std::string sqref;
    if (!append_sqref(sqref, validation.ranges)) continue;
    items += "<dataValidation sqref=\"";
    items += sqref;
    items += '"';
    items.append(validation.markup, kElement.size() + 1);
    ++count;
  }
  if (count == 0) return;
  xml += "<dataValidations count=\"";
  append_number(xml, count);
  xml += "\">";
  xml += items;
  xml += "</dataValidations>";
}

void append_conditional_formats(std::string& xml, const std::vector<RangedItem>& formats) {
  for (const RangedItem& format : formats) {
    if (!is_element(format.markup, "cfRule")) continue;
    std::string sqref;
    if (!append_sqref(sqref, format.ranges)) continue;
    xml += "<conditionalFormatting sqref=\"";
    xml += sqref;
    xml += "\">";
    xml += format.markup;
    xml += "</conditionalFormatting>";
  }
}

void append_fragment(std::string& xml, const std::string& fragment, std::string_view element) {
  if (is_element(fragment, element)) xml += fragment;
}

// A sheet's name as a formula refers to it: always quoted, its apostrophes doubled.
void append_quoted_sheet(std::string& text, std::string_view name) {
  text += '\'';
  for (char c : name) {
    text += c;
    if (c == '\'') text += '\'';
  }
  text += "'!";
}

void append_absolute_row(std::string& text, std::uint32_t row) {
  text += '$';
  append_number(text, std::uint64_t{row} + 1);
}

void append_absolute_column(std::string& text, std::uint32_t column) {
  text += '$';
  append_column_letters(text, column);
}

void append_absolute_range(std::string& text, std::string_view sheet, const MergedRange& range) {
  append_quoted_sheet(text, sheet);
  append_absolute_column(text, range.first_column);
  append_absolute_row(text, range.first_row);
  if (range.first_row == range.last_row && range.first_column == range.last_column) return;
  text += ':';
  append_absolute_column(text, range.last_column);
  append_absolute_row(text, range.last_row);
}

std::string filter_name(std::string_view sheet, const SheetLook& look) {
  std::string text;
  if (!look.has_filter || !valid_range(look.filter)) return text;
  // Always a range with both corners, even of one cell.
  const MergedRange& range = look.filter;
  append_quoted_sheet(text, sheet);
  append_absolute_column(text, range.first_column);
  append_absolute_row(text, range.first_row);
  text += ':';
  append_absolute_column(text, range.last_column);
  append_absolute_row(text, range.last_row);
  return text;
}

std::string print_area_name(std::string_view sheet, const SheetLook& look) {
  std::string text;
  for (const MergedRange& range : look.print_area) {
    if (!valid_range(range)) continue;
    if (!text.empty()) text += ',';
    append_absolute_range(text, sheet, range);
  }
  return text;
}

// Columns first, then rows, as Excel writes them.
std::string print_titles_name(std::string_view sheet, const SheetLook& look) {
  std::string text;
  const LineSpan& columns = look.print_title_columns;
  if (columns.set && columns.first <= columns.last && columns.last < kMaxColumns) {
    append_quoted_sheet(text, sheet);
    append_absolute_column(text, columns.first);
    text += ':';
    append_absolute_column(text, columns.last);
  }
  const LineSpan& rows = look.print_title_rows;
  if (rows.set && rows.first <= rows.last && rows.last < kMaxRows) {
    if (!text.empty()) text += ',';
    append_quoted_sheet(text, sheet);
    append_absolute_row(text, rows.first);
    text += ':';
    append_absolute_row(text, rows.last);
  }
  return text;
}

}  // namespace

bool append_range_reference(std::string& xml, const MergedRange& range) {
  if (!valid_range(range)) return false;
  append_cell_reference(xml, range.first_row, range.first_column);
  if (range.first_row == range.last_row && range.first_column == range.last_column) return true;
  xml += ':';
  append_cell_reference(xml, range.last_row, range.last_column);
  return true;
}

bool append_sqref(std::string& xml, const std::vector<MergedRange>& ranges) {
  bool any = false;
  for (const MergedRange& range : ranges) {
    if (!valid_range(range)) continue;
    if (any) xml += ' ';
    append_range_reference(xml, range);
    any = true;
  }
  return any;
}

void append_sheet_views(std::string& xml, const SheetLook& look, bool selected) {
  xml += "<sheetViews><sheetView";
  if (!look.gridlines) xml += " showGridLines=\"0\"";
  if (look.right_to_left) xml += " rightToLeft=\"1\"";
  if (selected) xml += " tabSelected=\"1\"";
  if (look.zoom != 100 && look.zoom > 0) {
    const int zoom = std::clamp(look.zoom, kMinZoom, kMaxZoom);
    for (const char* name : {" zoomScale=\"", "\" zoomScaleNormal=\""}) {
      xml += name;
      append_number(xml, static_cast<std::uint64_t>(zoom));
    }
    xml += '"';
  }
  xml += " workbookViewId=\"0\"";
  const std::uint32_t rows = std::min(look.frozen_rows, kMaxRows - 1);
  const std::uint32_t columns = std::min(look.frozen_columns, kMaxColumns - 1);
  if (rows == 0 && columns == 0) {
    xml += "/></sheetViews>";
    return;
  }
  xml += '>';
  append_frozen_pane(xml, rows, columns);
  xml += "</sheetView></sheetViews>";
}

void append_sheet_format(std::string& xml, const SheetLook& look) {
  xml += "<sheetFormatPr";
  const double width = look.default_column_width;
  if (std::isfinite(width) && width > 0 && width <= kMaxColumnWidth) {
    xml += " defaultColWidth=\"";
    append_decimal(xml, width);
    xml += '"';
  }
  const double height = look.default_row_height;
  const bool own_height = std::isfinite(height) && height > 0 && height != kStandardRowHeight;
  xml += " defaultRowHeight=\"";
  append_decimal(xml, own_height ? std::min(height, kMaxRowHeight) : kStandardRowHeight);
  xml += own_height ? "\" customHeight=\"1\"/>" : "\"/>";
}

std::vector<RowLook> rows_to_write(const SheetLook& look) {
  std::vector<RowLook> rows;
  for (const RowLook& row : look.rows) {
    const bool height = std::isfinite(row.height) && row.height > 0;
    if (row.row >= kMaxRows || (!height && !row.hidden)) continue;
    rows.push_back({row.row, height ? std::min(row.height, kMaxRowHeight) : 0, row.hidden});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const RowLook& a, const RowLook& b) { return a.row < b.row; });
  rows.erase(std::unique(rows.begin(), rows.end(), [](const RowLook& a, const RowLook& b) { return a.row == b.row; }),
             rows.end());
  return rows;
}

void append_row_attributes(std::string& xml, const RowLook& row) {
  if (row.height > 0) {
    xml += " ht=\"";
    append_decimal(xml, row.height);
    xml += '"';
  }
  if (row.hidden) xml += " hidden=\"1\"";
  if (row.height > 0) xml += " customHeight=\"1\"";
}

void append_filter(std::string& xml, const SheetLook& look) {
  if (!look.has_filter || !valid_range(look.filter)) return;
  xml += "<autoFilter ref=\"";
  append_range_reference(xml, look.filter);
  xml += "\"/>";
}

void append_look_after_merges(std::string& xml, const SheetLook& look) {
  append_conditional_formats(xml, look.conditional_formats);
  append_validations(xml, look.validations);
  append_hyperlinks(xml, look.links);
  append_fragment(xml, look.print_options, "printOptions");
  if (is_element(look.page_margins, "pageMargins")) {
    xml += look.page_margins;
  } else {
    xml += "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>";
  }
  append_fragment(xml, look.page_setup, "pageSetup");
  append_fragment(xml, look.header_footer, "headerFooter");
}

bool link_is_written(const CellLink& link) {
  return valid_range(link.range) && (!link.target.empty() || !link.location.empty());
}

bool link_has_relationship(const CellLink& link) { return link_is_written(link) && !link.target.empty(); }

void append_defined_names(std::string& xml, const std::vector<SheetToWrite>& sheets) {
  struct Name {
    const char* name;
    std::string (*text)(std::string_view, const SheetLook&);
    bool hidden;
  };
  // In the order of their names, as Excel keeps them.
  constexpr Name kNames[] = {
      {"_xlnm._FilterDatabase", filter_name, true},
      {"_xlnm.Print_Area", print_area_name, false},
      {"_xlnm.Print_Titles", print_titles_name, false},
  };
  std::string names;
  for (const Name& name : kNames) {
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      // A sheet given by name alone (its part made elsewhere) names nothing.
      if (!sheets[i].content) continue;
      const std::string text = name.text(sheets[i].name_utf8, sheets[i].content->look());
      if (text.empty()) continue;
      names += "<definedName name=\"";
      names += name.name;
      names += "\" localSheetId=\"";
      append_number(names, i);
      names += name.hidden ? "\" hidden=\"1\">" : "\">";
      append_escaped_attribute(names, text);
      names += "</definedName>";
    }
  }
  if (names.empty()) return;
  xml += "<definedNames>";
  xml += names;
  xml += "</definedNames>";
}

}  // namespace sheetlib
