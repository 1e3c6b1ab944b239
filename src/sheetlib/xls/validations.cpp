#include "sheetlib/xls/validations.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "sheetlib/core/xml_text.h"
#include "sheetlib/xls/biff_strings.h"
#include "sheetlib/xls/simple_formulas.h"

namespace sheetlib::xls {

namespace {

constexpr const char* kTypes[] = {"none", "whole", "decimal", "list", "date", "time", "textLength", "custom"};
constexpr unsigned kList = 3;
constexpr unsigned kCustom = 7;
constexpr unsigned kNotBetween = 1;
constexpr const char* kErrorStyles[] = {"stop", "warning", "information"};
constexpr const char* kOperators[] = {"between",     "notBetween", "equal",
                                      "notEqual",    "greaterThan", "lessThan",
                                      "greaterThanOrEqual", "lessThanOrEqual"};
constexpr std::uint32_t kExplicitList = 0x00000080;
constexpr std::uint32_t kAllowBlank = 0x00000100;
constexpr std::uint32_t kNoDropDown = 0x00000200;
constexpr std::uint32_t kShowPrompt = 0x00040000;
constexpr std::uint32_t kShowError = 0x00080000;
constexpr std::uint32_t kLastColumn = 255;

void append_text_attribute(std::string& out, const char* name, const std::string& value) {
  if (value.empty()) return;
  out += ' ';
  out += name;
  out += "=\"";
  append_escaped_attribute(out, value);
  out += '"';
}

// A formula: its length, two unused bytes, its tokens.
bool read_formula(FragmentCursor& cursor, std::string& rgce) {
  std::uint16_t length = 0, unused = 0;
  if (!cursor.u16(length) || !cursor.u16(unused)) return false;
  rgce.clear();
  for (std::uint16_t i = 0; i < length; ++i) {
    std::uint8_t byte = 0;
    if (!cursor.u8(byte)) return false;
    rgce.push_back(static_cast<char>(byte));
  }
  return true;
}

// A list given in the validation itself: its items are one text
// separated by NUL characters, which the sheet's markup separates by
// commas.
std::string explicit_list(std::string formula) {
  for (char& c : formula)
    if (c == '\0') c = ',';
  return formula;
}

}  // namespace

// DV: options, the prompt's and the error message's titles and texts (an
// empty one is a lone NUL), the two formulas, then the ranges.
bool read_validation(std::string_view data, RangedItem& item) {
  const std::vector<std::string_view> fragments{data};
  FragmentCursor cursor(fragments);
  std::uint32_t options = 0;
  std::string texts[4];  // prompt title, error title, prompt, error
  if (!cursor.u32(options)) return false;
  for (std::string& text : texts) {
    if (!cursor.read_string(false, text)) return false;
    if (text == std::string(1, '\0')) text.clear();
  }
  std::string rgce[2], formulas[2];
  const unsigned type = options & 0x0F;
  for (int i = 0; i < 2; ++i) {
    if (!read_formula(cursor, rgce[i])) return false;
    if (!rgce[i].empty() && !decode_simple_formula(rgce[i], formulas[i])) return false;
  }
  std::uint16_t count = 0;
  if (!cursor.u16(count)) return false;
  item.ranges.clear();
  for (std::uint16_t i = 0; i < count; ++i) {
    std::uint16_t first_row = 0, last_row = 0, first_column = 0, last_column = 0;
    if (!cursor.u16(first_row) || !cursor.u16(last_row) || !cursor.u16(first_column) || !cursor.u16(last_column))
      return false;
    if (first_row > last_row || first_column > last_column || first_column > kLastColumn) continue;
    item.ranges.push_back({first_row, last_row, first_column, std::min<std::uint32_t>(last_column, kLastColumn)});
  }
  if (type >= std::size(kTypes) || item.ranges.empty() || (type != 0 && formulas[0].empty())) return false;
  if (type == kList && (options & kExplicitList)) formulas[0] = explicit_list(formulas[0]);
  const unsigned op = (options >> 20) & 0x0F;
  // Only a range of values has a second bound; writers put a zero there
  // for the rest.
  if (type == kList || type == kCustom || op > kNotBetween) formulas[1].clear();

  std::string& out = item.markup;
  out = "<dataValidation";
  if (type != 0) append_text_attribute(out, "type", kTypes[type]);
  const unsigned error_style = (options >> 4) & 0x07;
  if (error_style != 0 && error_style < std::size(kErrorStyles))
    append_text_attribute(out, "errorStyle", kErrorStyles[error_style]);
  if (op != 0 && op < std::size(kOperators)) append_text_attribute(out, "operator", kOperators[op]);
  if (options & kAllowBlank) out += " allowBlank=\"1\"";
  if (options & kNoDropDown) out += " showDropDown=\"1\"";
  if (options & kShowPrompt) out += " showInputMessage=\"1\"";
  if (options & kShowError) out += " showErrorMessage=\"1\"";
  append_text_attribute(out, "errorTitle", texts[1]);
  append_text_attribute(out, "error", texts[3]);
  append_text_attribute(out, "promptTitle", texts[0]);
  append_text_attribute(out, "prompt", texts[2]);
  out += '>';
  for (int i = 0; i < 2; ++i) {
    if (formulas[i].empty()) continue;
    out += i == 0 ? "<formula1>" : "<formula2>";
    append_escaped_text(out, formulas[i]);
    out += i == 0 ? "</formula1>" : "</formula2>";
  }
  out += "</dataValidation>";
  return true;
}

}  // namespace sheetlib::xls
