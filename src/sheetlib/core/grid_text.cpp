#include "sheetlib/core/grid_text.h"

#include <algorithm>
#include <string>

#include "text/encoding.h"

namespace sheetlib {

bool store_utf8_text(CellGrid::Storage& storage, std::string_view utf8, std::uint32_t& offset, std::uint32_t& length,
                     const CellValue* value) {
  // Most cell texts are short: converted on the stack.
  constexpr std::size_t kShortText = 256;
  char short_text[kShortText * colsplit::kGbkBytesPerUtf8Byte];
  std::string converted;
  std::string_view text = utf8;
  if (!colsplit::is_ascii(text)) {
    if (utf8.size() <= kShortText) {
      text = std::string_view(short_text,
                              static_cast<std::size_t>(colsplit::write_utf8_as_gbk(utf8, short_text) - short_text));
    } else {
      converted.resize(utf8.size() * colsplit::kGbkBytesPerUtf8Byte);
      converted.resize(static_cast<std::size_t>(colsplit::write_utf8_as_gbk(utf8, converted.data()) - converted.data()));
      text = converted;
    }
  }
  if (text.find('\0') != std::string_view::npos) {
    if (text.data() != converted.data()) {
      converted.assign(text);
    }
    converted.erase(std::remove(converted.begin(), converted.end(), '\0'), converted.end());
    text = converted;
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
