#include "sheetlib/write/look_markup.h"
#include "sheetlib/write/parts.h"
#include "sheetlib/core/xml_text.h"

namespace sheetlib {

std::string workbook_part(const std::vector<SheetToWrite>& sheets) {
  std::string xml = kXmlDeclaration;
  xml += "<workbook xmlns=\"";
  xml += kSpreadsheetNamespace;
  xml += "\" xmlns:r=\"";
  xml += kRelationshipsNamespace;
  xml += "\"><bookViews><workbookView/></bookViews><sheets>";
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    xml += "<sheet name=\"";
    append_escaped_attribute(xml, sheets[i].name_utf8);
    xml += "\" sheetId=\"";
    append_number(xml, i + 1);
    xml += "\" r:id=\"rId";
    append_number(xml, i + 1);
    xml += "\"/>";
  }
  xml += "</sheets>";
  append_defined_names(xml, sheets);
  xml += "</workbook>";
  return xml;
}

std::string workbook_relationships_part(std::size_t sheet_count, bool theme) {
  // Sheets take rId1 … rIdN; the styles, the shared strings and the theme
  // follow them.
  std::string xml = kXmlDeclaration;
  xml += "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  for (std::size_t i = 1; i <= sheet_count; ++i) {
    xml += "<Relationship Id=\"rId";
    append_number(xml, i);
    xml += "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
           "Target=\"worksheets/sheet";
    append_number(xml, i);
    xml += ".xml\"/>";
  }
  xml += "<Relationship Id=\"rId";
  append_number(xml, sheet_count + 1);
  xml += "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
         "Target=\"styles.xml\"/>";
  xml += "<Relationship Id=\"rId";
  append_number(xml, sheet_count + 2);
  xml += "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
         "Target=\"sharedStrings.xml\"/>";
  if (theme) {
    xml += "<Relationship Id=\"rId";
    append_number(xml, sheet_count + 3);
    xml += "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme\" "
           "Target=\"theme/theme1.xml\"/>";
  }
  xml += "</Relationships>";
  return xml;
}

}  // namespace sheetlib
