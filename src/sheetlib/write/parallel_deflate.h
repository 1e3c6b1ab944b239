// Deflating a part in blocks, on this thread and, for a large part, on a
// helper thread beside it: each block is deflated on its own, primed with
// the last 32 KiB of the block before (so that it loses next to nothing
// against one stream), and ends on a byte boundary; the blocks one after
// another are one raw deflate stream, as a zip entry holds it. The result
// goes to libzip already deflated (see deflated_part.h).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/core/helper_thread.h"
#include "sheetlib/write/deflated_part.h"

namespace sheetlib {

// Every part is deflated at level 1: about four times as fast as the
// default level, for files some 20 % larger.
inline constexpr int kPartCompressionLevel = 1;

// The CRC-32 of two texts one after the other, from theirs and the second's
// length. zlib takes that length as a z_off_t, 32 bits in a 32-bit Windows
// build: a longer second text is stepped over `step` bytes at a time.
std::uint32_t crc32_joined(std::uint32_t first, std::uint32_t second, std::uint64_t second_bytes,
                           std::uint64_t step = std::uint64_t{1} << 30);

class ParallelDeflater {
 public:
  static constexpr std::size_t kBlockBytes = 256 * 1024;

  // With `helper`, a second thread takes every block this one does not get
  // to first; without one (or when no thread can be had), all are here.
  ParallelDeflater(int level, bool helper);
  ~ParallelDeflater();
  ParallelDeflater(const ParallelDeflater&) = delete;
  ParallelDeflater& operator=(const ParallelDeflater&) = delete;

  // Appends XML; a full block is deflated before this returns or by the helper.
  void add(std::string_view xml);
  // Deflates what is left and joins the blocks. Call once. With `last`
  // false the stream stays open: it ends on a byte boundary without the
  // final bit, so that more deflated bytes (a stream's sync-flushed output,
  // another part's piece) can follow it.
  DeflatedBytes finish(bool last = true);

  // One deflate stream; streams are kept for the parts to come.
  class Compressor;

 private:
  struct Block {
    std::string xml;
    std::string dictionary;  // the 32 KiB of XML before the block
    bool last = false;
    std::string deflated;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    bool failed = false;
  };
  void dispatch(bool last);
  void deflate_on_helper(Block& block) noexcept;

  int level_;
  std::unique_ptr<Compressor> own_;
  std::string pending_;  // XML not yet in a block
  std::string tail_;     // the last 32 KiB of XML handed on
  std::deque<Block> blocks_;  // in order; a deque keeps them in place
  std::unique_ptr<Compressor> helper_compressor_;  // the helper's, from its first block on
  // Takes a block while it deflates another, so that it never waits for one.
  HelperThread helper_{HelperThread::HandOff::when_none_waits};  // last: it ends first
};


}  // namespace sheetlib
