#include "sheetlib/xls/print_names.h"

#include <algorithm>

#include "sheetlib/xls/little_endian.h"

namespace sheetlib::xls {

namespace {

constexpr std::uint16_t kBuiltin = 0x0020;
// No sheet needs more areas in one name than this; a formula of a thousand
// tokens is not the application's.
constexpr std::size_t kMaxAreas = 256;
constexpr std::uint32_t kLastColumn = 255;
constexpr std::string_view kXlsxPrintArea = "_xlnm.Print_Area";
constexpr std::string_view kXlsxPrintTitles = "_xlnm.Print_Titles";
constexpr std::string_view kXlsxFilterDatabase = "_xlnm._FilterDatabase";
constexpr std::string_view kFilterDatabase = "_FilterDatabase";

// Formula tokens, by their type bits (the class bits 0x20/0x40 vary).
constexpr std::uint8_t kUnion = 0x10;
constexpr std::uint8_t kRef = 0x04;
constexpr std::uint8_t kArea = 0x05;
constexpr std::uint8_t kMemFunc = 0x09;
constexpr std::uint8_t kRef3d = 0x1A;
constexpr std::uint8_t kArea3d = 0x1B;

// The areas of a formula that lists them (one area, or several joined by
// unions inside a memory function); false for anything else. BIFF8 gives
// rows 16 bits and columns 8 bits with two flag bits above them; BIFF5
// gives rows 14 bits under the flags, columns a byte, and puts ten more
// bytes into 3-D references.
bool read_areas(std::string_view rgce, bool biff5, std::vector<MergedRange>& ranges) {
  std::size_t at = 0;
  const auto row = [&](std::size_t offset) -> std::uint32_t {
    return biff5 ? le16(rgce, offset) & 0x3FFFu : le16(rgce, offset);
  };
  const auto column = [&](std::size_t offset) -> std::uint32_t {
    return std::min<std::uint32_t>(biff5 ? static_cast<std::uint8_t>(rgce[offset]) : le16(rgce, offset) & 0x3FFFu,
                                   kLastColumn);
  };
  const std::size_t column_bytes = biff5 ? 1 : 2;
  while (at < rgce.size()) {
    const auto token = static_cast<std::uint8_t>(rgce[at++]);
    const std::uint8_t kind = token == kUnion ? kUnion : token & 0x1F;
    if (token != kUnion && (token & 0x60) == 0) return false;  // an operator or constant
    std::size_t skip = 0;  // of a 3-D reference, before its rows
    switch (kind) {
      case kUnion:
        continue;
      case kMemFunc:
        if (rgce.size() - at < 2) return false;
        at += 2;
        continue;
      case kArea3d:
      case kRef3d:
        skip = biff5 ? 14 : 2;
        break;
      case kArea:
      case kRef:
        break;
      default:
        return false;
    }
    const bool area = kind == kArea || kind == kArea3d;
    const std::size_t size = skip + (area ? 4 + 2 * column_bytes : 2 + column_bytes);
    if (rgce.size() - at < size || ranges.size() >= kMaxAreas) return false;
    const std::size_t r = at + skip;
    MergedRange range;
    if (area) {
      range = {row(r), row(r + 2), column(r + 4), column(r + 4 + column_bytes)};
    } else {
      range = {row(r), row(r), column(r + 2), column(r + 2)};
    }
    at += size;
    if (range.first_row > range.last_row || range.first_column > range.last_column) return false;
    ranges.push_back(range);
  }
  return !ranges.empty();
}

}  // namespace

// NAME: options, shortcut key, name length, formula length, two reserved
// bytes, the sheet (one-based, 0 for the workbook), four lengths of texts
// after the formula, then the name (a built-in one is one character, its
// key) and the formula.
bool read_builtin_name(std::string_view data, bool biff5, BuiltinName& name) {
  if (data.size() < 16) return false;
  const bool builtin = (le16(data, 0) & kBuiltin) != 0;
  const std::size_t characters = static_cast<std::uint8_t>(data[3]);
  const std::uint16_t formula_length = le16(data, 4);
  name.tab = le16(data, 8);
  std::size_t at = 14;
  bool wide = false;
  if (!biff5) wide = static_cast<std::uint8_t>(data[at++]) & 0x01;
  const std::size_t name_bytes = characters * (wide ? 2 : 1);
  if (data.size() - at < name_bytes) return false;
  if (builtin && characters == 1) {
    name.key = static_cast<std::uint8_t>(data[at]);
  } else if (!builtin && !wide) {
    // Writers that copy the names of an .xlsx workbook write these as the
    // ordinary names it gives them; Excel 95 wrote the filter's range as a
    // hidden ordinary name.
    const std::string_view text = data.substr(at, name_bytes);
    name.key = text == kXlsxPrintArea                                   ? builtin_name::kPrintArea
               : text == kXlsxPrintTitles                               ? builtin_name::kPrintTitles
               : text == kXlsxFilterDatabase || text == kFilterDatabase ? builtin_name::kFilterDatabase
                                                                        : 0;
  } else {
    return false;
  }
  at += name_bytes;
  if (name.tab == 0 || (name.key != builtin_name::kPrintArea && name.key != builtin_name::kPrintTitles &&
                        name.key != builtin_name::kFilterDatabase))
    return false;
  if (data.size() - at < formula_length) return false;
  name.ranges.clear();
  return read_areas(data.substr(at, formula_length), biff5, name.ranges);
}

void apply_builtin_names(const std::vector<BuiltinName>& names, std::size_t tab, bool has_filter, SheetLook& sheet) {
  for (const BuiltinName& name : names) {
    if (name.tab != tab + 1) continue;
    switch (name.key) {
      case builtin_name::kPrintArea:
        sheet.print_area = name.ranges;
        break;
      case builtin_name::kPrintTitles:
        // Whole rows (every column) repeat at the top, whole columns at the
        // left.
        for (const MergedRange& range : name.ranges) {
          if (range.first_column == 0 && range.last_column == kLastColumn) {
            sheet.print_title_rows = {range.first_row, range.last_row, true};
          } else {
            sheet.print_title_columns = {range.first_column, range.last_column, true};
          }
        }
        break;
      case builtin_name::kFilterDatabase:
        if (has_filter && !name.ranges.empty()) {
          sheet.filter = name.ranges.front();
          sheet.has_filter = true;
        }
        break;
      default:
        break;
    }
  }
}

}  // namespace sheetlib::xls
