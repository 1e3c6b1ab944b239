// Texts as both readers put them into a grid: converted to GBK into the
// grid's arena, and the shared strings that string cells refer to by index.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/read_status.h"

namespace sheetlib {

struct TextSpan {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// Where each shared string lies in the arena, by index; paged like the
// grid, since a wide sheet may hold tens of millions of them.
using SharedStringSpans = colsplit::PagedArray<TextSpan>;

// Stores a UTF-8 text in the grid's arena as GBK. A NUL character is left
// out: the library hands texts out zero-terminated. The text of a number,
// boolean or error cell is followed by its `value`, and `length` then says
// so (see CellGrid::Storage::append_typed_text). False when the arena is
// full.
bool store_utf8_text(CellGrid::Storage& storage, std::string_view utf8, std::uint32_t& offset, std::uint32_t& length,
                     const CellValue* value = nullptr);

// A string cell whose style has a section for texts (`"No. "@`) waits for
// its shared string as this request in the arena (see
// CellGrid::Storage::kFormattedStringCell): the string's index and the
// style, which the sheet's reader knows and the shared strings' do not.
struct FormattedStringRequest {
  std::uint32_t index = 0;
  std::uint32_t style = 0;
};

// Stores the request in the arena; the offset to add the cell with. False
// when the arena is full.
bool store_formatted_string_request(CellGrid::Storage& storage, const FormattedStringRequest& request,
                                    std::uint32_t& offset);

// The UTF-8 text a style shows for a UTF-8 text; nothing when it shows the
// text as it is.
using TextFormatting = std::function<std::optional<std::string>(std::string_view text, std::uint32_t style)>;

// Gives each string cell of the sheet, which holds the index of its shared
// string (CellGrid::Storage::kSharedStringCell), the place of that string's
// text; the texts of `strings` lie from `base` on in the storage's arena.
// A cell with a FormattedStringRequest gets the text `formatting` shows,
// stored once per string and style. malformed when a cell points at a
// string the workbook does not have.
ReadStatus resolve_shared_strings(CellGrid::Storage& storage, const SharedStringSpans& strings, std::uint32_t base,
                                  const TextFormatting& formatting = {});

}  // namespace sheetlib
