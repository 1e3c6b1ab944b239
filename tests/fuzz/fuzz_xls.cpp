// libFuzzer target: .xls workbooks, loaded and read cell by cell as the
// program reads a dropped workbook.
//
// Most of a compound file is its workbook stream, but byte mutations of a
// whole file mostly break its sector chains and stop at the container. So
// the first input byte chooses: with its lowest bit clear, the rest is a
// workbook stream (BIFF8 records), which the target puts into a compound
// file whose layout the next bits choose (mini stream or regular sectors,
// sectors out of order, 4,096-byte sectors) and whose stream name (0x10:
// "Book", as Excel 5.0 and 95 named it) they choose, and the mutations reach
// the records; with it set, the rest is a whole file, for the container's
// own structures.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "book_reading.h"
#include "xls_maker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  if (mode & 0x01) {
    sheetlib::fuzz::load_and_read(rest);
    return 0;
  }
  sheetlib::testing::CompoundOptions options;
  options.scatter = mode & 0x02;
  options.sector_shift = (mode & 0x04) ? 12 : 9;
  std::string stream(rest);
  // Padded behind its end, as writers pad, the stream leaves the mini stream.
  if ((mode & 0x08) && stream.size() < 4096) stream.resize(4096, '\0');
  const char* const name = (mode & 0x10) ? "Book" : "Workbook";
  sheetlib::fuzz::load_and_read(sheetlib::testing::make_compound_file({{name, stream}}, options).bytes);
  return 0;
}
