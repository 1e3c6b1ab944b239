#include "sheetlib/read/workbook_part.h"

namespace sheetlib {

bool parse_boolean(std::string_view value) {
  return value == "1" || value == "true" || value == "on" || value == "True" || value == "TRUE";
}

void WorkbookHandler::start(xml::Name name, const xml::Attributes& attributes) {
  ++depth_;
  if (name.ns != xml::Ns::main) return;
  // Only direct children of <workbook> count: the same local names occur
  // deeper (and in extension lists, which the parser leaves out).
  if (depth_ == 2 && name.local == "workbookPr") {
    if (const char* value = attributes.find(xml::Ns::none, "date1904")) date1904_ = parse_boolean(value);
  } else if (depth_ == 2 && name.local == "sheets") {
    in_sheets_ = true;
  } else if (in_sheets_ && depth_ == 3 && name.local == "sheet") {
    const char* id = attributes.find(xml::Ns::rel, "id");
    const char* sheet_name = attributes.find(xml::Ns::none, "name");
    sheets_.push_back({id ? id : "", sheet_name ? sheet_name : ""});
  }
}

void WorkbookHandler::end(xml::Name name) {
  if (depth_ == 2 && name.is(xml::Ns::main, "sheets")) in_sheets_ = false;
  --depth_;
}

}  // namespace sheetlib
