#include "sheetlib/core/grid_text.h"

#include <algorithm>
#include <string>

#include "text/encoding.h"

namespace sheetlib {

bool store_utf8_text(CellGrid::Storage& storage, std::string_view utf8, std::uint32_t& offset, std::uint32_t& length,
                     const CellValue* value) {
  const colsplit::Utf8AsGbk converted(utf8);
  std::string_view text = converted.text();
  std::string without_nul;
  if (text.find('\0') != std::string_view::npos) {
    without_nul.assign(text);
    without_nul.erase(std::remove(without_nul.begin(), without_nul.end(), '\0'), without_nul.end());
    text = without_nul;
  }
  if (value) return storage.append_typed_text(text, *value, offset, length);
  length = static_cast<std::uint32_t>(text.size());
  return storage.append_text(text, offset);
}

ReadStatus resolve_shared_strings(CellGrid::Storage& storage, const SharedStringSpans& strings, std::uint32_t base) {
  for (std::size_t i = 0; i < storage.cells.size(); ++i) {
    CellRecord& cell = storage.cells[i];
    if (!cell.awaits_shared_string()) continue;
    // A cell that points at a string the workbook does not have is damage:
    // showing it empty would hide that a text was lost.
    if (cell.offset >= strings.size()) return ReadStatus::malformed;
    const TextSpan span = strings[cell.offset];
    CellGrid::Storage::place_shared_string(cell, base + span.offset, span.length);
  }
  return ReadStatus::ok;
}

}  // namespace sheetlib
