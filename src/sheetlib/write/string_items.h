// The items of a workbook's shared strings part (<si><t>…</t></si>, in
// UTF-8), made as the strings come. Past 32 KiB of XML they are deflated as
// they come too, on the thread that writes the cells, which has time to
// spare while the workbook before is saved: a save is left with the part's
// head, the items since the last 32 KiB and the part's end, and the XML of
// all the strings is never whole in memory. A save leaves the items as they
// are: strings added after it follow them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/write/parallel_deflate.h"

struct z_stream_s;

namespace sheetlib {

class StringItems {
 public:
  StringItems() = default;
  ~StringItems();
  StringItems(StringItems&&) noexcept;
  StringItems& operator=(StringItems&&) noexcept;
  StringItems(const StringItems&) = delete;
  StringItems& operator=(const StringItems&) = delete;

  // The next string's item. Nothing is thrown: a failure (no memory) makes
  // every later part fail to be made, never a part whose items miss one.
  void add(std::string_view gbk) noexcept;

  // The whole part, deflated at kPartCompressionLevel: `head`, the items,
  // `end`; made is false after a failure.
  DeflatedBytes part(std::string_view head, std::string_view end);

 private:
  struct StreamEnd {
    void operator()(z_stream_s* stream) const;
  };
  void start_stream();
  bool feed(int flush);

  std::string pending_;  // items not yet deflated
  std::unique_ptr<z_stream_s, StreamEnd> stream_;
  std::vector<std::string> deflated_;  // what the stream made so far
  std::string scratch_;                // the stream's output buffer
  std::uint64_t streamed_bytes_ = 0;   // items fed to the stream
  std::uint32_t streamed_crc_ = 0;     // their CRC-32
  bool failed_ = false;
};

}  // namespace sheetlib
