// Inflating a large part on a second thread while expat parses what came
// before: on a machine with two cores inflating then costs next to nothing.
#pragma once

#include <cstddef>
#include <functional>

#include "sheetlib/read/zip_archive.h"

namespace sheetlib {

// Hands the part's bytes, in order, to `consume(data, size, last)` (which
// returns false to stop early), while a second thread reads ahead from
// `stream`. Returns the stream's failure, or ok. Only the second thread
// touches the stream (and so the archive) until this returns. When no
// thread can be had, this thread reads a piece of the stream, hands it on,
// and so on: the same bytes and the same result, more slowly.
ReadStatus read_ahead(PartStream& stream, const std::function<bool(const char*, std::size_t, bool)>& consume);

}  // namespace sheetlib
