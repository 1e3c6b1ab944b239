#include "sheetlib/write/parts.h"
#include "sheetlib/core/xml_text.h"

namespace sheetlib {

DeflatedBytes shared_strings_part(SharedStrings& strings, std::uint64_t reference_count) {
  std::string head = kXmlDeclaration;
  head += "<sst xmlns=\"";
  head += kSpreadsheetNamespace;
  head += "\" count=\"";
  append_number(head, reference_count);
  head += "\" uniqueCount=\"";
  append_number(head, strings.size());
  head += "\">";
  return strings.items().part(head, "</sst>");
}

}  // namespace sheetlib
