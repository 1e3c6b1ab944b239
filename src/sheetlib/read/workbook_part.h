// The workbook part: its sheets in tab order and the date system; and, when
// a load asks for the look, the print titles and areas of the sheets.
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
  void text(std::string_view text) override;

  // Every <sheet>, worksheets and the rest (chart sheets, …) alike, in tab
  // order: the relationship id that says which part it is and what kind,
  // and its name (UTF-8). Either is empty when the file leaves it out.
  struct Sheet {
    std::string id;
    std::string name;
  };
  const std::vector<Sheet>& sheets() const { return sheets_; }
  bool date1904() const { return date1904_; }

  // Keeps the print titles and print areas (see print_names).
  void keep_print_names() { keep_print_names_ = true; }
  // A defined name _xlnm.Print_Titles or _xlnm.Print_Area: its formula and
  // the position among all <sheet>s of the sheet it belongs to (-1 when it
  // says none).
  struct PrintName {
    bool titles = false;  // else the area
    long sheet = -1;
    std::string formula;
  };
  const std::vector<PrintName>& print_names() const { return print_names_; }

 private:
  int depth_ = 0;
  bool in_sheets_ = false;
  std::vector<Sheet> sheets_;
  bool date1904_ = false;
  bool keep_print_names_ = false;
  bool in_print_name_ = false;
  std::vector<PrintName> print_names_;
};

}  // namespace sheetlib
