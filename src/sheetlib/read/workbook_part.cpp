#include "sheetlib/read/workbook_part.h"

#include <charconv>

#include "sheetlib/read/markup_fragment.h"

namespace sheetlib {

namespace {

// Two names a sheet, and the sheets of a hostile part are many.
constexpr std::size_t kMaxPrintNames = 65'536;

}  // namespace

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
  } else if (keep_print_names_ && depth_ == 3 && name.local == "definedName") {
    const char* defined = attributes.find(xml::Ns::none, "name");
    const std::string_view kind = defined ? defined : "";
    if ((kind != "_xlnm.Print_Titles" && kind != "_xlnm.Print_Area") || print_names_.size() >= kMaxPrintNames)
      return;
    PrintName print{kind == "_xlnm.Print_Titles", -1, {}};
    if (const char* sheet = attributes.find(xml::Ns::none, "localSheetId")) {
      const std::string_view digits = sheet;
      long position = 0;
      const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), position);
      if (error == std::errc() && end == digits.data() + digits.size() && position >= 0) print.sheet = position;
    }
    print_names_.push_back(std::move(print));
    in_print_name_ = true;
  }
}

void WorkbookHandler::text(std::string_view text) {
  if (!in_print_name_) return;
  std::string& formula = print_names_.back().formula;
  // A formula past a fragment's size reads as none.
  if (formula.size() + text.size() > kMaxFragmentBytes) {
    print_names_.back().sheet = -1;
    return;
  }
  formula.append(text);
}

void WorkbookHandler::end(xml::Name name) {
  if (depth_ == 2 && name.is(xml::Ns::main, "sheets")) in_sheets_ = false;
  if (depth_ == 3) in_print_name_ = false;
  --depth_;
}

}  // namespace sheetlib
