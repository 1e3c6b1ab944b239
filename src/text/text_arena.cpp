#include "text/text_arena.h"

#include <cstring>
#include <limits>

#include "memory/memory_request.h"

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
  // What is left of the last page (a page kept by reset is all left).
  const std::uint64_t room = (std::uint64_t{pages_.size()} << kPageBits) - start;
  if (text.size() > room) {
    if (!fits(text.size())) memory_request_failed(text.size());
    start += room;
    const std::uint64_t pages = (text.size() + kPageBytes - 1) / kPageBytes;
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(pages * kPageBytes)));
    if (blocks_.size() == 1) first_block_pages_ = static_cast<std::size_t>(pages);
    char* block = blocks_.back().get();
    for (std::uint64_t page = 0; page < pages; ++page) pages_.push_back(block + page * kPageBytes);
  }
  const auto offset = static_cast<std::uint32_t>(start);
  std::memcpy(pages_[offset >> kPageBits] + (offset & kPageMask), text.data(), text.size());
  end_ = start + text.size();
  return offset;
}

bool TextArena::adopt(TextArena& other, std::uint32_t& base) {
  const std::uint64_t start = std::uint64_t{pages_.size()} << kPageBits;
  if (start + other.end_ > kArenaLimit) return false;
  blocks_.reserve(blocks_.size() + other.blocks_.size());
  pages_.reserve(start / kPageBytes + other.pages_.size());
  // Nothing below throws: the room was made above.
  if (blocks_.empty()) first_block_pages_ = other.first_block_pages_;
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
  first_block_pages_ = 0;
  end_ = 0;
}

void TextArena::reset() {
  if (first_block_pages_ != 1) return clear();
  blocks_.resize(1);
  pages_.resize(1);
  end_ = 0;
}

}  // namespace colsplit
