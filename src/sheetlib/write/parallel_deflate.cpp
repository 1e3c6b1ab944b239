#include "sheetlib/write/parallel_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <mutex>

namespace sheetlib {

namespace {

// Deflate looks back 32 KiB at most: that much of the block before primes
// the next one.
constexpr std::size_t kDictionaryBytes = 32 * 1024;

}  // namespace

// One raw deflate stream, reset for every block it deflates.
class ParallelDeflater::Compressor {
 public:
  explicit Compressor(int level) : level_(level) {
    ready_ = deflateInit2(&stream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~Compressor() {
    if (ready_) deflateEnd(&stream_);
  }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  int level() const { return level_; }
  bool ready() const { return ready_; }

  // Deflates the block into block.deflated and frees its XML. Nothing is
  // thrown: a failure (no memory) marks the block failed.
  void deflate_block(Block& block) noexcept {
    try {
      block.failed = !ready_ || !run(block);
    } catch (...) {
      block.failed = true;
    }
    block.size = block.xml.size();
    block.crc = static_cast<std::uint32_t>(
        crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(block.xml.data()), block.xml.size()));
    std::string().swap(block.xml);
    std::string().swap(block.dictionary);
  }

 private:
  bool run(Block& block) {
    if (deflateReset(&stream_) != Z_OK) return false;
    if (!block.dictionary.empty() &&
        deflateSetDictionary(&stream_, reinterpret_cast<const Bytef*>(block.dictionary.data()),
                             static_cast<uInt>(block.dictionary.size())) != Z_OK)
      return false;
    // A block that is not the last ends with a sync flush: on a byte
    // boundary, without the final bit, so that the next block follows it.
    const int flush = block.last ? Z_FINISH : Z_SYNC_FLUSH;
    // Deflated into the compressor's own buffer, which is reused; the block
    // keeps only the bytes made.
    std::string& out = scratch_;
    const std::size_t bound = deflateBound(&stream_, static_cast<uLong>(block.xml.size())) + 64;
    if (out.size() < bound) out.resize(bound);
    stream_.next_in = reinterpret_cast<Bytef*>(block.xml.data());
    stream_.avail_in = static_cast<uInt>(block.xml.size());
    std::size_t used = 0;
    for (;;) {
      stream_.next_out = reinterpret_cast<Bytef*>(out.data() + used);
      stream_.avail_out = static_cast<uInt>(out.size() - used);
      const int status = deflate(&stream_, flush);
      used = out.size() - stream_.avail_out;
      if (status == Z_STREAM_ERROR) return false;
      if (block.last ? status == Z_STREAM_END : stream_.avail_in == 0 && stream_.avail_out > 0) break;
      out.resize(out.size() + 64 * 1024);
    }
    block.deflated.assign(out, 0, used);
    return true;
  }

  z_stream stream_{};
  std::string scratch_;
  int level_;
  bool ready_ = false;
};

namespace {

// Compressors kept between parts: setting one up costs some 270 KB of
// allocations and a clear of its hash table, more than deflating a small
// part, and an export of thousands of small workbooks deflates some ten
// parts for each. A few are kept, enough for a save and its helpers.
class CompressorPool {
 public:
  using Compressor = ParallelDeflater::Compressor;

  std::unique_ptr<Compressor> take(int level) {
    {
      const std::lock_guard lock(lock_);
      for (auto it = idle_.begin(); it != idle_.end(); ++it) {
        if ((*it)->level() != level) continue;
        std::unique_ptr<Compressor> compressor = std::move(*it);
        idle_.erase(it);
        return compressor;
      }
    }
    return std::make_unique<Compressor>(level);
  }

  void give_back(std::unique_ptr<Compressor> compressor) noexcept {
    if (!compressor || !compressor->ready()) return;
    const std::lock_guard lock(lock_);
    if (idle_.size() >= kKept) return;
    try {
      idle_.push_back(std::move(compressor));
    } catch (...) {
      // Not kept: it is freed on the way out.
    }
  }

 private:
  static constexpr std::size_t kKept = 4;
  std::mutex lock_;
  std::vector<std::unique_ptr<Compressor>> idle_;
};

CompressorPool& compressor_pool() {
  static CompressorPool pool;
  return pool;
}

}  // namespace

ParallelDeflater::ParallelDeflater(int level, bool helper) : level_(level), own_(compressor_pool().take(level)) {
  // Without a thread every block is deflated here.
  if (helper) helper_.start();
}

ParallelDeflater::~ParallelDeflater() {
  helper_.stop();
  compressor_pool().give_back(std::move(helper_compressor_));
  compressor_pool().give_back(std::move(own_));
}

void ParallelDeflater::add(std::string_view xml) {
  // A block fills up in one buffer; a small part never asks for a whole one.
  if (pending_.size() + xml.size() >= kBlockBytes && pending_.capacity() < kBlockBytes) pending_.reserve(kBlockBytes);
  while (!xml.empty()) {
    const std::size_t count = std::min(xml.size(), kBlockBytes - pending_.size());
    pending_.append(xml.substr(0, count));
    xml.remove_prefix(count);
    if (pending_.size() == kBlockBytes) dispatch(false);
  }
}

void ParallelDeflater::dispatch(bool last) {
  Block& block = blocks_.emplace_back();
  block.xml.swap(pending_);
  block.dictionary = tail_;
  block.last = last;
  if (block.xml.size() >= kDictionaryBytes) {
    tail_.assign(block.xml, block.xml.size() - kDictionaryBytes, kDictionaryBytes);
  } else {
    tail_.append(block.xml);
    if (tail_.size() > kDictionaryBytes) tail_.erase(0, tail_.size() - kDictionaryBytes);
  }
  // The helper gets the block when it has taken the one handed to it
  // before; otherwise this thread is no slower doing it itself.
  Block* const handed = &block;
  if (helper_.hand_off([this, handed] { deflate_on_helper(*handed); })) return;
  own_->deflate_block(block);
}

void ParallelDeflater::deflate_on_helper(Block& block) noexcept {
  if (!helper_compressor_) {
    try {
      helper_compressor_ = compressor_pool().take(level_);
    } catch (...) {
      // Without memory for a compressor the block fails (below).
    }
  }
  if (helper_compressor_)
    helper_compressor_->deflate_block(block);
  else
    block.failed = true;
}

DeflatedBytes ParallelDeflater::finish(bool last) {
  dispatch(last);
  helper_.wait();
  DeflatedBytes result;
  if (helper_.failure()) return result;
  for (const Block& block : blocks_) {
    if (block.failed) return result;
  }
  result.pieces.reserve(blocks_.size());
  result.crc = static_cast<std::uint32_t>(crc32_z(0, nullptr, 0));
  for (Block& block : blocks_) {
    result.deflated_size += block.deflated.size();
    result.pieces.push_back(std::move(block.deflated));
    result.crc = static_cast<std::uint32_t>(crc32_combine(result.crc, block.crc, static_cast<z_off_t>(block.size)));
    result.size += block.size;
  }
  result.made = true;
  return result;
}

std::uint32_t crc32_joined(std::uint32_t first, std::uint32_t second, std::uint64_t second_bytes,
                           std::uint64_t step) {
  // Joining with the CRC 0 moves the first text on by that many bytes.
  uLong crc = first;
  for (; second_bytes > step; second_bytes -= step) crc = crc32_combine(crc, 0, static_cast<z_off_t>(step));
  return static_cast<std::uint32_t>(crc32_combine(crc, second, static_cast<z_off_t>(second_bytes)));
}

}  // namespace sheetlib
