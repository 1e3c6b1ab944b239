// The built-in names of the globals that belong to a sheet's look: its
// print area, its print titles and its AutoFilter's range (NAME records of
// the sheet, whose formulas are lists of areas).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "sheetlib/core/cell_grid.h"
#include "sheetlib/core/sheet_look.h"

namespace sheetlib::xls {

namespace builtin_name {
constexpr std::uint8_t kPrintArea = 0x06;
constexpr std::uint8_t kPrintTitles = 0x07;
constexpr std::uint8_t kFilterDatabase = 0x0D;
}  // namespace builtin_name

struct BuiltinName {
  std::uint8_t key = 0;
  std::uint16_t tab = 0;  // the sheet's position among all sheets, plus one
  std::vector<MergedRange> ranges;
};

// Reads a NAME record; false when it is not a built-in name of a sheet
// among the three, or its formula is more than a list of areas.
bool read_builtin_name(std::string_view data, bool biff5, BuiltinName& name);

// Sets the print area, the print titles, and (when `has_filter`) the filter
// of the sheet at `tab` (zero-based, among all sheets) from the names.
void apply_builtin_names(const std::vector<BuiltinName>& names, std::size_t tab, bool has_filter, SheetLook& sheet);

}  // namespace sheetlib::xls
