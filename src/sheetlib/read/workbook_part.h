// The workbook part: its sheets in tab order and the date system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/read/xml_stream.h"

namespace sheetlib {

// An xsd:boolean as the workbook writes it; anything unrecognised is false.
bool parse_boolean(std::string_view value);

class WorkbookHandler : public xml::Handler {
 public:
  void start(xml::Name name, const xml::Attributes& attributes) override;
  void end(xml::Name name) override;

  // Every <sheet>, worksheets and the rest (chart sheets, …) alike, in tab
  // order: the relationship id that says which part it is and what kind,
  // and its name (UTF-8). Either is empty when the file leaves it out.
  struct Sheet {
    std::string id;
    std::string name;
  };
  const std::vector<Sheet>& sheets() const { return sheets_; }
  bool date1904() const { return date1904_; }

 private:
  int depth_ = 0;
  bool in_sheets_ = false;
  std::vector<Sheet> sheets_;
  bool date1904_ = false;
};

}  // namespace sheetlib
