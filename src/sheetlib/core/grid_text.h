// Texts as both readers put them into a grid: converted to GBK into the
// grid's arena, and the shared strings that string cells refer to by index.
#pragma once

#include <cstdint>
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

// Gives each string cell of the sheet, which holds the index of its shared
// string (CellGrid::Storage::kSharedStringCell), the place of that string's
// text; the texts of `strings` lie from `base` on in the storage's arena.
// malformed when a cell points at a string the workbook does not have.
ReadStatus resolve_shared_strings(CellGrid::Storage& storage, const SharedStringSpans& strings, std::uint32_t base);

}  // namespace sheetlib
