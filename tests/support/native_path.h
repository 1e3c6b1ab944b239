// Paths in tests are written the Windows way; native builds join with '/'.
#pragma once

#include <string>

#include "text/gbk_chars.h"

namespace colsplit::testing {

// The path with every backslash character (not a 5C trail byte) turned into
// the platform's separator.
inline std::string native_path(std::string path) {
#ifndef _WIN32
  for (std::size_t pos = 0; pos < path.size(); pos += gbk_char_length(path, pos)) {
    if (path[pos] == '\\') path[pos] = '/';
  }
#endif
  return path;
}

}  // namespace colsplit::testing
