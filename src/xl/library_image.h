// The library file image carried inside the program (library_image.S).
#pragma once

#include <cstddef>

namespace colsplit::xl {

struct LibraryImage {
  const unsigned char* bytes;  // the library file, without the image's 8-byte header
  std::size_t size;
};

LibraryImage library_image();

}  // namespace colsplit::xl
