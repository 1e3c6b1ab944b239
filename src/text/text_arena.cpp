#include "text/text_arena.h"

#include <cstring>
#include <limits>

#include "text/memory_request.h"

namespace colsplit {

namespace {

constexpr std::uint64_t kArenaLimit = std::uint64_t{std::numeric_limits<std::uint32_t>::max()} + 1;

}  // namespace

bool TextArena::fits(std::size_t bytes) const {
  // At worst the text starts on a fresh page.
  const std::uint64_t pages = (std::uint64_t{bytes} + kPageBytes - 1) / kPageBytes;
  const std::uint64_t start = (end_ + kPageBytes - 1) / kPageBytes * kPageBytes;
  return bytes <= std::numeric_limits<std::uint32_t>::max() && start + pages * kPageBytes <= kArenaLimit;
}

std::uint32_t TextArena::append(std::string_view text) {
  if (text.empty()) return 0;
  std::uint64_t start = end_;
  const std::uint64_t room = start % kPageBytes == 0 ? 0 : kPageBytes - start % kPageBytes;
  if (text.size() > room) {
    if (!fits(text.size())) memory_request_failed(text.size());
    start += room;
    const std::uint64_t pages = (text.size() + kPageBytes - 1) / kPageBytes;
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(pages * kPageBytes)));
    char* block = blocks_.back().get();
    for (std::uint64_t page = 0; page < pages; ++page) pages_.push_back(block + page * kPageBytes);
  }
  const auto offset = static_cast<std::uint32_t>(start);
  std::memcpy(pages_[offset >> kPageBits] + (offset & kPageMask), text.data(), text.size());
  end_ = start + text.size();
  return offset;
}

bool TextArena::adopt(TextArena& other, std::uint32_t& base) {
  const std::uint64_t start = (end_ + kPageBytes - 1) / kPageBytes * kPageBytes;
  if (start + other.end_ > kArenaLimit) return false;
  blocks_.reserve(blocks_.size() + other.blocks_.size());
  pages_.reserve(start / kPageBytes + other.pages_.size());
  // Nothing below throws: the room was made above.
  for (auto& block : other.blocks_) blocks_.push_back(std::move(block));
  for (char* page : other.pages_) pages_.push_back(page);
  base = static_cast<std::uint32_t>(start);
  if (other.end_ > 0) end_ = start + other.end_;
  other.clear();
  return true;
}

void TextArena::overwrite(std::uint32_t offset, std::string_view text) {
  if (!text.empty()) std::memcpy(pages_[offset >> kPageBits] + (offset & kPageMask), text.data(), text.size());
}

void TextArena::clear() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  pages_.clear();
  pages_.shrink_to_fit();
  end_ = 0;
}

}  // namespace colsplit
