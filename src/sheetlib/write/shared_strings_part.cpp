#include "sheetlib/write/parts.h"
#include "sheetlib/write/xml_text.h"
#include "text/encoding.h"

namespace sheetlib {

std::string shared_strings_part(const SharedStrings& strings, std::uint64_t reference_count) {
  std::string xml = kXmlDeclaration;
  // The GBK texts' size: as long as their UTF-8 for most texts; the rest grows.
  std::size_t text_bytes = 0;
  for (std::uint32_t i = 0; i < strings.size(); ++i) text_bytes += strings.gbk(i).size();
  xml.reserve(xml.size() + text_bytes + strings.size() * 16 + 200);
  xml += "<sst xmlns=\"";
  xml += kSpreadsheetNamespace;
  xml += "\" count=\"";
  append_number(xml, reference_count);
  xml += "\" uniqueCount=\"";
  append_number(xml, strings.size());
  xml += "\">";
  std::string converted;
  for (std::uint32_t i = 0; i < strings.size(); ++i) {
    std::string_view text = strings.gbk(i);
    if (!colsplit::is_ascii(text)) {
      converted = colsplit::gbk_to_utf8(text);
      text = converted;
    }
    xml += needs_space_preserve(text) ? "<si><t xml:space=\"preserve\">" : "<si><t>";
    append_escaped_text(xml, text);
    xml += "</t></si>";
  }
  xml += "</sst>";
  return xml;
}

}  // namespace sheetlib
