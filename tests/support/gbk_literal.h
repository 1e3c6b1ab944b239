// Chinese texts in tests: written as UTF-8 literals, turned into the GBK bytes
// the program works with.
#pragma once

#include <string>
#include <string_view>

#include "text/encoding.h"

namespace colsplit::testing {

inline std::string gbk(std::u8string_view utf8) {
  return utf8_to_gbk(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

inline std::string utf8(std::string_view gbk_text) { return gbk_to_utf8(gbk_text); }

}  // namespace colsplit::testing
