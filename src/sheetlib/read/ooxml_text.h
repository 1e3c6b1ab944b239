// Texts as the package stores them (UTF-8 with _xHHHH_ escapes for
// characters XML cannot carry) turned into the GBK texts the grid holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/grid_text.h"

namespace sheetlib {

// Decodes the _xHHHH_ escapes (UTF-16 code units, surrogate pairs joined).
// "_x005F_" is an escaped underscore: "_x005F_x0041_" stays "_x0041_".
std::string decode_escapes(std::string_view text);

// Stores the package text in the grid's arena as GBK. A NUL character is
// left out: the library hands texts out zero-terminated. The text of a
// number, boolean or error cell is followed by its `value`, and `length`
// then says so (see CellGrid::Storage::append_typed_text). False when the
// arena is full.
bool store_package_text(CellGrid::Storage& storage, std::string_view utf8, std::uint32_t& offset,
                        std::uint32_t& length, const CellValue* value = nullptr);

}  // namespace sheetlib
