#include "sheetlib/write/parts.h"

namespace sheetlib {

std::string package_relationships_part() {
  std::string xml = kXmlDeclaration;
  xml +=
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" "
      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
      "Target=\"xl/workbook.xml\"/>"
      "<Relationship Id=\"rId2\" "
      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties\" "
      "Target=\"docProps/app.xml\"/>"
      "</Relationships>";
  return xml;
}

}  // namespace sheetlib
