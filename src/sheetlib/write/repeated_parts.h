// Parts that the workbooks of an export repeat byte for byte (the content
// types, the relationships, the properties, the styles) are deflated once
// and handed out again: an export of thousands of small workbooks would
// otherwise spend more on them than on the sheets.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "sheetlib/write/parallel_deflate.h"

namespace sheetlib {

// The part deflated at `level`: the bytes deflated for the same XML before,
// while they are kept (a few dozen small parts at most), or deflated now.
// Safe to call from several threads.
std::shared_ptr<const DeflatedBytes> deflate_repeated_part(const std::string& xml, int level);

// The part deflated at `level` on this thread; with `last` false, as a
// piece that more of the stream follows (ParallelDeflater::finish).
DeflatedBytes deflate_part(std::string_view xml, int level, bool last = true);

}  // namespace sheetlib
