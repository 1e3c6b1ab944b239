// libFuzzer target: the input is a worksheet part, read twice: by expat
// alone, and by the cell scanner with expat around its rows. Unless the
// scanner declines, both must end alike and give the same cells (places,
// texts, typed values, styles) and layout; any difference aborts.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "sheetlib/read/cell_scanner.h"
#include "sheetlib/read/worksheet_part.h"
#include "sheetlib/read/xml_stream.h"

namespace {

using namespace sheetlib;

// Styles that send numbers through the formatter: General, a date and time,
// a decimal with colour, a percentage, text.
const StyleFormats& formats() {
  static const StyleFormats styles({"General", "yyyy\"年\"m\"月\"d\"日\" hh:mm:ss", "#,##0.00_);[Red]\\(#,##0.00\\)",
                                    "0.00%", "@"});
  return styles;
}

struct Reading {
  CellGrid::Storage storage;
  SheetLayout layout;
  ReadStatus status = ReadStatus::ok;
};

[[noreturn]] void differ(const char* what, std::size_t at = 0) {
  std::fprintf(stderr, "cell scanner differs from expat: %s (at %zu)\n", what, at);
  std::abort();
}

bool same_value(const CellValue& a, const CellValue& b) {
  const bool same_number = a.number == b.number || (std::isnan(a.number) && std::isnan(b.number));
  return a.kind == b.kind && a.style == b.style && same_number;
}

void compare(Reading& expat, Reading& scanned) {
  if (expat.status != ReadStatus::ok) differ("expat failed, the scanner did not");
  if (expat.layout.merged_ranges != scanned.layout.merged_ranges) differ("merged ranges");
  if (expat.layout.column_widths != scanned.layout.column_widths) differ("column widths");
  CellGrid::Storage& a = expat.storage;
  CellGrid::Storage& b = scanned.storage;
  a.finish();
  b.finish();
  if (a.cells.size() != b.cells.size()) differ("cell count");
  if (a.row_starts != b.row_starts) differ("rows");
  if (a.row_extent != b.row_extent || a.column_extent != b.column_extent) differ("extent");
  for (std::size_t i = 0; i < a.cells.size(); ++i) {
    const CellRecord& x = a.cells[i];
    const CellRecord& y = b.cells[i];
    if (x.column_and_length != y.column_and_length) differ("column, length or kind", i);
    if (x.awaits_shared_string()) {
      if (x.offset != y.offset) differ("shared string", i);
      continue;
    }
    if (a.text_of(x) != b.text_of(y)) differ("text", i);
    if (!same_value(a.value_of(x), b.value_of(y))) differ("value", i);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view part(reinterpret_cast<const char*>(data), size);
  const ReadLimits limits;
  const bool date1904 = size % 2 == 1;

  Reading expat;
  {
    xml::MarkupBudget budget(limits.min_markup_items);
    WorksheetHandler handler(expat.storage, formats(), date1904, &expat.layout);
    xml::Parser parser(handler, limits, &budget);
    parser.feed(part.data(), part.size(), true);
    expat.status = parser.status();
  }

  Reading scanned;
  xml::MarkupBudget budget(limits.min_markup_items);
  bool declined = false;
  {
    WorksheetHandler handler(scanned.storage, formats(), date1904, &scanned.layout);
    scanned.status = read_worksheet_scanning(part, limits, budget, handler, declined);
  }
  // Whatever happened, the budget holds only what a finished reading spent.
  if (declined) {
    if (budget.spent() != 0) differ("a declined reading kept its markup items");
    return 0;
  }
  compare(expat, scanned);
  return 0;
}
