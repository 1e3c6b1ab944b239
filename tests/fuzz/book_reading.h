// What the program does with a dropped workbook, done by the fuzz targets:
// load the bytes into a book through the library's C interface, read the
// text of every cell of the first sheet, release the book.
#pragma once

#include <string_view>

namespace sheetlib::fuzz {

void load_and_read(std::string_view file_bytes);

}  // namespace sheetlib::fuzz
