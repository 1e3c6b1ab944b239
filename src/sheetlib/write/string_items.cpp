#include "sheetlib/write/string_items.h"

#include <zlib.h>

#include <new>

#include "sheetlib/write/repeated_parts.h"
#include "sheetlib/core/xml_text.h"
#include "text/encoding.h"

namespace sheetlib {

namespace {

// Items beyond this much XML go to the stream, this much at a time.
constexpr std::size_t kStreamedBytes = 32 * 1024;
constexpr std::size_t kOutputBytes = 64 * 1024;

}  // namespace

void StringItems::StreamEnd::operator()(z_stream_s* stream) const {
  deflateEnd(stream);
  delete stream;
}

StringItems::~StringItems() = default;
StringItems::StringItems(StringItems&&) noexcept = default;
StringItems& StringItems::operator=(StringItems&&) noexcept = default;

void StringItems::add(std::string_view gbk) noexcept {
  if (failed_) return;
  try {
    const colsplit::GbkAsUtf8 converted(gbk);
    const std::string_view text = converted.text();
    pending_ += needs_space_preserve(text) ? "<si><t xml:space=\"preserve\">" : "<si><t>";
    append_escaped_text(pending_, text);
    pending_ += "</t></si>";
    if (pending_.size() < kStreamedBytes) return;
    if (!stream_) start_stream();
    if (!feed(Z_NO_FLUSH)) failed_ = true;
  } catch (...) {
    failed_ = true;
  }
}

void StringItems::start_stream() {
  auto stream = std::unique_ptr<z_stream_s, StreamEnd>(new z_stream_s{});
  // Ending a stream that was never set up does nothing.
  if (deflateInit2(stream.get(), kPartCompressionLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::bad_alloc();
  scratch_.resize(kOutputBytes);
  streamed_crc_ = static_cast<std::uint32_t>(crc32_z(0, nullptr, 0));
  stream_ = std::move(stream);
}

// Deflates the pending items into the stream: with Z_NO_FLUSH as they come,
// with Z_SYNC_FLUSH for a save, which ends what the stream made so far on a
// byte boundary (and without the final bit), so that the part's end can
// follow it, or more items later.
bool StringItems::feed(int flush) {
  z_stream_s& stream = *stream_;
  stream.next_in = reinterpret_cast<Bytef*>(pending_.data());
  stream.avail_in = static_cast<uInt>(pending_.size());
  streamed_crc_ = static_cast<std::uint32_t>(
      crc32_z(streamed_crc_, reinterpret_cast<const Bytef*>(pending_.data()), pending_.size()));
  streamed_bytes_ += pending_.size();
  for (;;) {
    stream.next_out = reinterpret_cast<Bytef*>(scratch_.data());
    stream.avail_out = static_cast<uInt>(scratch_.size());
    const int status = deflate(&stream, flush);
    if (status != Z_OK && status != Z_BUF_ERROR) return false;
    const std::size_t made = scratch_.size() - stream.avail_out;
    if (made > 0) {
      if (deflated_.empty() || deflated_.back().size() + made > kOutputBytes) {
        deflated_.emplace_back().reserve(kOutputBytes);
      }
      deflated_.back().append(scratch_.data(), made);
    }
    if (stream.avail_in == 0 && stream.avail_out > 0) break;
  }
  pending_.clear();
  return true;
}

DeflatedBytes StringItems::part(std::string_view head, std::string_view end) {
  if (failed_) return {};
  if (!stream_) {
    // Few strings: the part in one piece.
    std::string xml;
    xml.reserve(head.size() + pending_.size() + end.size());
    xml.append(head).append(pending_).append(end);
    return deflate_part(xml, kPartCompressionLevel);
  }
  if (!feed(Z_SYNC_FLUSH)) {
    failed_ = true;
    return {};
  }
  DeflatedBytes first = deflate_part(head, kPartCompressionLevel, false);
  DeflatedBytes last = deflate_part(end, kPartCompressionLevel);
  if (!first.made || !last.made) return {};
  DeflatedBytes part;
  part.pieces.reserve(first.pieces.size() + deflated_.size() + last.pieces.size());
  for (std::string& piece : first.pieces) part.pieces.push_back(std::move(piece));
  for (const std::string& piece : deflated_) part.pieces.push_back(piece);
  for (std::string& piece : last.pieces) part.pieces.push_back(std::move(piece));
  for (const std::string& piece : part.pieces) part.deflated_size += piece.size();
  part.size = first.size + streamed_bytes_ + last.size;
  part.crc = crc32_joined(crc32_joined(first.crc, streamed_crc_, streamed_bytes_), last.crc, last.size);
  part.made = true;
  return part;
}

}  // namespace sheetlib
