// A part's bytes deflated ahead of the package (by ParallelDeflater), and
// the libzip source that hands them to the archive: libzip copies deflated
// data with its size and CRC-32 as it is, without deflating again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <zip.h>

namespace sheetlib {

// A part's deflated bytes, in the pieces they were made in, with the size
// and CRC-32 of its XML.
struct DeflatedBytes {
  std::vector<std::string> pieces;
  std::uint64_t deflated_size = 0;
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
  bool made = false;  // false: the part could not be made (no memory)
};

// A libzip source of deflated bytes, which must outlive the archive's close.
zip_source_t* deflated_source(zip_t* archive, const DeflatedBytes& bytes);

}  // namespace sheetlib
