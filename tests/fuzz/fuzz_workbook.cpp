// libFuzzer target: any bytes, loaded as a workbook file and read cell by
// cell as the program reads a dropped workbook.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "book_reading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sheetlib::fuzz::load_and_read(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
