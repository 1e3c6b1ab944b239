// Storage for millions of short texts and small records, as a sheet at the
// row limit needs them, in a 32-bit process: in pages instead of one block,
// so that growing never holds two copies of everything at once nor needs a
// hole of hundreds of megabytes in the address space.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace colsplit {

// Texts appended one after another into 1 MiB pages, each addressed by a
// 32-bit offset. A text never straddles two pages, so it can be handed out
// as one view; a text over 1 MiB gets a block of several pages.
class TextArena {
 public:
  // Where the text now lies (its bytes are copied); nothing is stored for an
  // empty text, which may be looked up at any offset. When the arena would
  // pass 4 GiB (see fits), the request fails as one the allocator refused
  // (memory_request_failed).
  std::uint32_t append(std::string_view text);
  // True when a text of this many bytes can still be appended.
  bool fits(std::size_t bytes) const;
  std::string_view text(std::uint32_t offset, std::uint32_t length) const {
    if (length == 0) return {};
    return std::string_view(pages_[offset >> kPageBits] + (offset & kPageMask), length);
  }
  // Takes over every text of `other` (which is left empty) without copying
  // them: they follow this arena's texts from the next page on, so a text
  // that lay at offset o in `other` now lies at base + o. False, with both
  // arenas as they were, when the two together would pass 4 GiB.
  bool adopt(TextArena& other, std::uint32_t& base);
  // Overwrites the bytes at `offset` (text must fit where they lie).
  void overwrite(std::uint32_t offset, std::string_view text);
  // Bytes appended so far, the unused ends of pages included.
  std::size_t size() const { return static_cast<std::size_t>(end_); }
  void clear();
  // Empties the arena but keeps its first page, when that is a page of its
  // own, for the texts to come: a table filled and emptied thousands of
  // times does not ask the system for a fresh page each time.
  void reset();

 private:
  static constexpr unsigned kPageBits = 20;
  static constexpr std::uint64_t kPageBytes = std::uint64_t{1} << kPageBits;
  static constexpr std::uint32_t kPageMask = static_cast<std::uint32_t>(kPageBytes - 1);

  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<char*> pages_;  // page i of the arena, within its block
  std::size_t first_block_pages_ = 0;
  std::uint64_t end_ = 0;
};

// A growable array of T in pages of 2^PageBits elements; new elements are
// value-initialised.
template <typename T, unsigned PageBits = 16>
class PagedArray {
 public:
  T& operator[](std::size_t index) { return pages_[index >> PageBits][index & kMask]; }
  const T& operator[](std::size_t index) const { return pages_[index >> PageBits][index & kMask]; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& back() { return (*this)[size_ - 1]; }
  const T& back() const { return (*this)[size_ - 1]; }

  // The element is written once: not value-initialised first, as grow_to would.
  void push_back(const T& value) {
    if ((size_ >> PageBits) == pages_.size()) pages_.push_back(std::make_unique_for_overwrite<T[]>(kMask + 1));
    (*this)[size_++] = value;
  }
  // Makes elements 0 … count - 1 exist; never shrinks. Elements are
  // value-initialised as they come into use, not a page at a time: a fresh
  // page is not written twice, and a page kept by reset forgets what it held.
  void grow_to(std::size_t count) {
    if (count <= size_) return;
    while ((pages_.size() << PageBits) < count) pages_.push_back(std::make_unique_for_overwrite<T[]>(kMask + 1));
    for (std::size_t i = size_; i < count;) {
      const std::size_t end = std::min(count, (i | kMask) + 1);
      std::fill(&(*this)[i], &(*this)[i] + (end - i), T{});
      i = end;
    }
    size_ = count;
  }
  void clear() {
    pages_.clear();
    pages_.shrink_to_fit();
    size_ = 0;
  }
  // Empties the array but keeps its first page for what comes next.
  void reset() {
    if (pages_.size() > 1) pages_.resize(1);
    size_ = 0;
  }

 private:
  static constexpr std::size_t kMask = (std::size_t{1} << PageBits) - 1;
  std::vector<std::unique_ptr<T[]>> pages_;
  std::size_t size_ = 0;
};

}  // namespace colsplit
