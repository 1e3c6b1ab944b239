#include "xl/library_image.h"

#include <cstdint>

extern "C" const unsigned char colsplit_library_image[];

namespace colsplit::xl {

namespace {
std::uint32_t little_endian_word(const unsigned char* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}
}  // namespace

LibraryImage library_image() {
  constexpr std::size_t kHeaderSize = 8;  // the value 1, then the length
  return LibraryImage{colsplit_library_image + kHeaderSize, little_endian_word(colsplit_library_image + 4)};
}

}  // namespace colsplit::xl
