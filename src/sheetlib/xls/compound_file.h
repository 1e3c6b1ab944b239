// The compound file that holds an .xls workbook (and an encrypted .xlsx): a
// small FAT file system inside one file. Sectors of 512 or 4,096 bytes are
// chained by a file allocation table (FAT) whose own sectors are listed by
// the header and the DIFAT chain; streams below a cutoff live in 64-byte
// mini sectors inside the root entry's "mini stream", chained by a mini FAT.
// Every chain comes from the file, so every chain may loop, branch into
// another or run out of the file: each walk marks the sectors it has been
// through and stops at the first one it meets again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"

namespace sheetlib::xls {

// True when the bytes begin with the compound file signature.
bool is_compound_file(std::string_view bytes);

class CompoundFile {
 public:
  // Reads the header, the FAT and the directory of the file held in
  // `bytes`, which must outlive the object. malformed for a damaged
  // container.
  ReadStatus open(std::string_view bytes);

  // True when the root storage holds a stream of this (ASCII) name; names
  // compare without letter case, as the format compares them.
  bool has_stream(std::string_view name) const;

  // The bytes of the root storage's stream of this name. When its sectors
  // follow each other in the file (as most writers lay them out), `stream`
  // views the file's bytes; otherwise they are gathered into `copy`, which
  // `stream` then views. not_a_workbook when there is no such stream,
  // over_limit beyond `max_bytes`.
  ReadStatus read_stream(std::string_view name, std::uint64_t max_bytes, std::string& copy,
                         std::string_view& stream) const;

 private:
  struct Entry {
    std::uint8_t type = 0;  // 1 storage, 2 stream, 5 root
    std::uint32_t left = 0, right = 0, child = 0;
    std::uint32_t start = 0;
    std::uint64_t size = 0;
  };

  std::string_view sector(std::uint32_t index) const;
  std::uint64_t sector_size() const { return std::uint64_t{1} << sector_shift_; }
  ReadStatus read_fat(std::uint32_t fat_sector_count, std::uint32_t first_difat_sector);
  // The sectors of the chain from `start`, up to `size` bytes (to the
  // chain's end when `size` is unknown).
  ReadStatus chain_sectors(std::uint32_t start, std::uint64_t size, bool size_known,
                           std::vector<std::uint32_t>& sectors) const;
  ReadStatus read_chain(std::uint32_t start, std::uint64_t size, bool size_known, std::string& copy,
                        std::string_view& out) const;
  ReadStatus read_mini_chain(std::uint32_t start, std::uint64_t size, std::string& out) const;
  std::size_t entry_count() const { return directory_.size() / 128; }
  Entry entry(std::size_t index) const;
  bool entry_named(std::size_t index, std::string_view name) const;
  // The entry of the root storage's stream of this name, or -1.
  long find_in_root(std::string_view name) const;

  std::string_view bytes_;
  unsigned sector_shift_ = 9;
  std::uint32_t sector_count_ = 0;  // sectors after the header, the last one possibly cut short
  std::uint32_t mini_cutoff_ = 4096;
  std::uint32_t first_mini_fat_sector_ = 0;
  bool version_4_ = false;
  std::vector<std::uint32_t> fat_;  // one entry per sector of the file
  std::string directory_copy_;
  std::string_view directory_;      // 128 bytes per entry
};

}  // namespace sheetlib::xls
