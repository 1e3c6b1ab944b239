// The workbook's zip container, opened from the file's bytes in memory.
// Parts are looked up the way packages name them: without letter case, with
// '\' read as '/'. Their data is inflated piece by piece, with the limits
// against zip bombs checked as the bytes come out, not as the headers claim.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"

typedef struct zip zip_t;
typedef struct zip_file zip_file_t;

namespace sheetlib {

// The key under which a part name is looked up: lower case, '/' separators,
// no leading '/'.
std::string part_key(std::string_view name);

class ZipArchive;

// The inflated bytes of one part, read in pieces.
class PartStream {
 public:
  PartStream(const PartStream&) = delete;
  PartStream& operator=(const PartStream&) = delete;
  ~PartStream();

  // Fills up to `capacity` bytes; returns the count, 0 at the end of the
  // part, or -1 on failure (see status()).
  std::ptrdiff_t read(char* buffer, std::size_t capacity);
  ReadStatus status() const { return status_; }
  // The inflated size the archive's directory gives for the part.
  std::uint64_t declared_size() const { return declared_size_; }

 private:
  friend class ZipArchive;
  PartStream(ZipArchive& archive, zip_file_t* file, std::uint64_t declared_size, std::uint64_t compressed_size)
      : archive_(archive), file_(file), declared_size_(declared_size), compressed_size_(compressed_size) {}

  ZipArchive& archive_;
  zip_file_t* file_;
  std::uint64_t declared_size_;
  std::uint64_t compressed_size_;
  std::uint64_t inflated_ = 0;
  ReadStatus status_ = ReadStatus::ok;
};

class ZipArchive {
 public:
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;
  ~ZipArchive();

  // Opens the archive held in `bytes`, which must outlive it.
  static ReadStatus open(std::string_view bytes, const ReadLimits& limits, std::unique_ptr<ZipArchive>& archive);

  bool contains(std::string_view part_name) const;
  // The inflated size the archive's directory gives for a part, 0 when it
  // has no such part.
  std::uint64_t declared_size(std::string_view part_name) const;
  // The bytes inflated so far, over all parts.
  std::uint64_t inflated_total() const { return inflated_total_.load(std::memory_order_relaxed); }

  // Opens a part for reading; null with `status` set when it is missing
  // (not_a_workbook) or cannot be read.
  std::unique_ptr<PartStream> open_part(std::string_view part_name, ReadStatus& status);
  // The same through a second handle of the archive: that one part may be
  // read on another thread while this thread reads the others. (libzip's
  // handle reads one part at a time.) At most one such part at a time.
  std::unique_ptr<PartStream> open_part_for_other_thread(std::string_view part_name, ReadStatus& status);

 private:
  friend class PartStream;
  ZipArchive(zip_t* archive, std::string_view bytes, const ReadLimits& limits)
      : archive_(archive), bytes_(bytes), limits_(limits) {}
  std::unique_ptr<PartStream> open_part_with(zip_t* handle, std::string_view part_name, ReadStatus& status);

  zip_t* archive_;
  zip_t* second_handle_ = nullptr;  // opened on demand
  std::string_view bytes_;
  ReadLimits limits_;
  std::unordered_map<std::string, std::uint64_t> index_;
  std::atomic<std::uint64_t> inflated_total_{0};
};

}  // namespace sheetlib
