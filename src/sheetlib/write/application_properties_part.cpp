#include "sheetlib/write/parts.h"

namespace sheetlib {

std::string application_properties_part() {
  std::string xml = kXmlDeclaration;
  xml +=
      "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
      "<Application>colsplit sheetlib</Application></Properties>";
  return xml;
}

}  // namespace sheetlib
