#include "sheetlib/write/look_markup.h"
#include "sheetlib/write/parts.h"
#include "sheetlib/core/xml_text.h"

namespace sheetlib {

std::string worksheet_relationships_part(const SheetLook& look) {
  std::string relationships;
  std::size_t id = 0;
  for (const CellLink& link : look.links) {
    if (!link_has_relationship(link)) continue;
    relationships += "<Relationship Id=\"rId";
    append_number(relationships, ++id);
    relationships +=
        "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink\" Target=\"";
    // Control characters cannot be in the part; an address has none.
    std::string target;
    for (char c : link.target) {
      if (static_cast<unsigned char>(c) >= 0x20) target += c;
    }
    append_escaped_attribute(relationships, target);
    relationships += "\" TargetMode=\"External\"/>";
  }
  if (relationships.empty()) return {};
  std::string xml = kXmlDeclaration;
  xml += "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  xml += relationships;
  xml += "</Relationships>";
  return xml;
}

}  // namespace sheetlib
