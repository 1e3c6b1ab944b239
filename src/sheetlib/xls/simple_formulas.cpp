#include "sheetlib/xls/simple_formulas.h"

#include <cstdint>
#include <vector>

#include "sheetlib/core/xml_text.h"
#include "sheetlib/xls/biff_strings.h"
#include "sheetlib/xls/little_endian.h"

namespace sheetlib::xls {

namespace {

constexpr std::uint8_t kUnaryMinus = 0x13;
constexpr std::uint8_t kString = 0x17;
constexpr std::uint8_t kBoolean = 0x1D;
constexpr std::uint8_t kInteger = 0x1E;
constexpr std::uint8_t kNumber = 0x1F;
// References, by their type bits (the class bits 0x20/0x40 vary).
constexpr std::uint8_t kRef = 0x04;
constexpr std::uint8_t kArea = 0x05;

constexpr std::uint16_t kRowRelative = 0x4000;
constexpr std::uint16_t kColumnRelative = 0x8000;

// A cell of a BIFF8 reference: row, then column with its relative flags.
void append_cell(std::string& out, std::uint16_t row, std::uint16_t column) {
  if (!(column & kColumnRelative)) out += '$';
  append_column_letters(out, column & 0xFFu);
  if (!(column & kRowRelative)) out += '$';
  append_number(out, std::uint64_t{row} + 1);
}

}  // namespace

bool decode_simple_formula(std::string_view rgce, std::string& text) {
  text.clear();
  if (rgce.empty()) return false;
  const auto token = static_cast<std::uint8_t>(rgce[0]);
  std::string_view data = rgce.substr(1);
  // A negative number is the number, then the operator.
  if ((token == kInteger && data.size() == 3) || (token == kNumber && data.size() == 9)) {
    if (static_cast<std::uint8_t>(data.back()) != kUnaryMinus) return false;
    data.remove_suffix(1);
    text += '-';
  }
  switch (token) {
    case kInteger:
      if (data.size() != 2) return false;
      append_number(text, le16(data, 0));
      return true;
    case kNumber:
      if (data.size() != 8) return false;
      append_cell_number(text, le_double(data.data()));
      return true;
    case kBoolean:
      if (data.size() != 1) return false;
      text.assign(data[0] != 0 ? "TRUE" : "FALSE");
      return true;
    case kString: {
      // A one-byte count, then the characters after their flags byte.
      const std::vector<std::string_view> fragments{data};
      FragmentCursor cursor(fragments);
      std::string value;
      if (!cursor.read_string(true, value) || !cursor.at_end()) return false;
      // Appended a character at a time: GCC 12 on i686 warns of an
      // overlapping copy in the assignment of a literal here.
      text.assign(1, '"');
      for (const char c : value) {
        text += c;
        if (c == '"') text += c;
      }
      text += '"';
      return true;
    }
    default:
      break;
  }
  if ((token & 0x60) == 0) return false;  // an operator or a constant of another kind
  if ((token & 0x1F) == kRef && data.size() == 4) {
    append_cell(text, le16(data, 0), le16(data, 2));
    return true;
  }
  if ((token & 0x1F) == kArea && data.size() == 8) {
    append_cell(text, le16(data, 0), le16(data, 4));
    text += ':';
    append_cell(text, le16(data, 2), le16(data, 6));
    return true;
  }
  return false;
}

}  // namespace sheetlib::xls
