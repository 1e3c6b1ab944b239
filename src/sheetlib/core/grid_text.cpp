#include "sheetlib/core/grid_text.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

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

bool store_formatted_string_request(CellGrid::Storage& storage, const FormattedStringRequest& request,
                                    std::uint32_t& offset) {
  char bytes[sizeof request.index + sizeof request.style];
  std::memcpy(bytes, &request.index, sizeof request.index);
  std::memcpy(bytes + sizeof request.index, &request.style, sizeof request.style);
  return storage.append_text(std::string_view(bytes, sizeof bytes), offset);
}

namespace {

FormattedStringRequest request_at(const CellGrid::Storage& storage, std::uint32_t offset) {
  FormattedStringRequest request;
  const std::string_view bytes = storage.arena.text(offset, sizeof request.index + sizeof request.style);
  std::memcpy(&request.index, bytes.data(), sizeof request.index);
  std::memcpy(&request.style, bytes.data() + sizeof request.index, sizeof request.style);
  return request;
}

// The shared string shown through its style: a text of its own in the
// arena, made once per string and style.
class FormattedStrings {
 public:
  FormattedStrings(CellGrid::Storage& storage, const TextFormatting& formatting)
      : storage_(storage), formatting_(formatting) {}

  bool place(CellRecord& cell, const FormattedStringRequest& request, TextSpan span) {
    const std::uint64_t key = std::uint64_t{request.index} << 32 | request.style;
    auto [known, first_time] = shown_.try_emplace(key, span);
    if (first_time && formatting_) {
      CellRecord string;
      CellGrid::Storage::place_shared_string(string, span.offset, span.length);
      const std::string utf8 = colsplit::gbk_to_utf8(storage_.text_of(string));
      if (const std::optional<std::string> shown = formatting_(utf8, request.style)) {
        if (!store_utf8_text(storage_, *shown, known->second.offset, known->second.length)) return false;
      }
    }
    CellGrid::Storage::place_shared_string(cell, known->second.offset, known->second.length);
    return true;
  }

 private:
  CellGrid::Storage& storage_;
  const TextFormatting& formatting_;
  std::unordered_map<std::uint64_t, TextSpan> shown_;
};

}  // namespace

ReadStatus resolve_shared_strings(CellGrid::Storage& storage, const SharedStringSpans& strings, std::uint32_t base,
                                  const TextFormatting& formatting) {
  FormattedStrings formatted(storage, formatting);
  for (std::size_t i = 0; i < storage.cells.size(); ++i) {
    CellRecord& cell = storage.cells[i];
    if (cell.awaits_shared_string()) {
      // A cell that points at a string the workbook does not have is damage:
      // showing it empty would hide that a text was lost.
      if (cell.offset >= strings.size()) return ReadStatus::malformed;
      const TextSpan span = strings[cell.offset];
      CellGrid::Storage::place_shared_string(cell, base + span.offset, span.length);
    } else if (cell.awaits_formatted_string()) {
      const FormattedStringRequest request = request_at(storage, cell.offset);
      if (request.index >= strings.size()) return ReadStatus::malformed;
      TextSpan span = strings[request.index];
      span.offset += base;
      if (!formatted.place(cell, request, span)) return ReadStatus::over_limit;
    }
  }
  return ReadStatus::ok;
}

}  // namespace sheetlib
