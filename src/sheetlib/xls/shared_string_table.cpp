#include "sheetlib/xls/shared_string_table.h"

#include <string>

#include "sheetlib/core/grid_text.h"
#include "sheetlib/xls/biff_strings.h"

namespace sheetlib::xls {

ReadStatus read_shared_string_table(const std::vector<std::string_view>& fragments, CellGrid::Storage& storage,
                                    std::size_t max_strings, SharedStringSpans& strings) {
  FragmentCursor cursor(fragments);
  std::uint32_t total = 0, unique = 0;
  if (!cursor.u32(total) || !cursor.u32(unique)) return ReadStatus::malformed;
  std::string utf8;
  for (std::uint32_t i = 0; i < unique && !cursor.at_end(); ++i) {
    if (strings.size() >= max_strings) return ReadStatus::over_limit;
    if (!cursor.read_string(false, utf8)) return ReadStatus::malformed;
    TextSpan span;
    if (!store_utf8_text(storage, utf8, span.offset, span.length)) return ReadStatus::over_limit;
    strings.push_back(span);
  }
  return ReadStatus::ok;
}

}  // namespace sheetlib::xls
