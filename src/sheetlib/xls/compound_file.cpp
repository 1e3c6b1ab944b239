#include "sheetlib/xls/compound_file.h"

#include <algorithm>

#include "sheetlib/xls/little_endian.h"

namespace sheetlib::xls {

namespace {

constexpr std::string_view kSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
constexpr std::size_t kHeaderBytes = 512;
constexpr std::size_t kHeaderFatSectors = 109;  // FAT sector numbers in the header itself
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::size_t kEntryBytes = 128;
constexpr unsigned kMiniSectorShift = 6;
constexpr std::size_t kMiniSectorBytes = std::size_t{1} << kMiniSectorShift;
constexpr std::uint8_t kStream = 2;
constexpr std::uint8_t kRoot = 5;

}  // namespace

bool is_compound_file(std::string_view bytes) { return bytes.substr(0, kSignature.size()) == kSignature; }

ReadStatus CompoundFile::open(std::string_view bytes) {
  bytes_ = bytes;
  if (bytes.size() < kHeaderBytes || !is_compound_file(bytes)) return ReadStatus::malformed;
  if (le16(bytes, 28) != 0xFFFE) return ReadStatus::malformed;  // byte order mark
  sector_shift_ = le16(bytes, 30);
  if (sector_shift_ != 9 && sector_shift_ != 12) return ReadStatus::malformed;
  if (le16(bytes, 32) != kMiniSectorShift) return ReadStatus::malformed;
  version_4_ = sector_shift_ == 12;
  // The header fills the first sector (of 4,096 bytes in version 4); sector
  // n follows at (n + 1) sectors. Writers sometimes cut the last sector short.
  if (bytes.size() <= sector_size()) return ReadStatus::malformed;
  const std::uint64_t sectors = (bytes.size() - sector_size() + sector_size() - 1) >> sector_shift_;
  sector_count_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, 0xFFFFFFFA));
  mini_cutoff_ = le32(bytes, 56);
  first_mini_fat_sector_ = le32(bytes, 60);
  if (const ReadStatus status = read_fat(le32(bytes, 44), le32(bytes, 68)); status != ReadStatus::ok) return status;

  // The directory has no size of its own (version 3): it is its whole chain.
  if (const ReadStatus status = read_chain(le32(bytes, 48), 0, false, directory_copy_, directory_);
      status != ReadStatus::ok)
    return status;
  if (entry_count() == 0 || entry(0).type != kRoot) return ReadStatus::malformed;
  return ReadStatus::ok;
}

std::string_view CompoundFile::sector(std::uint32_t index) const {
  const std::uint64_t offset = (static_cast<std::uint64_t>(index) + 1) << sector_shift_;
  if (offset >= bytes_.size()) return {};
  return bytes_.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(sector_size()));
}

ReadStatus CompoundFile::read_fat(std::uint32_t fat_sector_count, std::uint32_t first_difat_sector) {
  // Only the FAT sectors that cover sectors of this file are read: a count
  // that claims more (or a DIFAT chain that goes on) cannot make us read
  // more than the file holds.
  const std::uint32_t per_sector = static_cast<std::uint32_t>(sector_size() / 4);
  const std::uint32_t needed = (sector_count_ + per_sector - 1) / per_sector;
  const std::uint32_t wanted = std::min(fat_sector_count, needed);
  std::vector<std::uint32_t> fat_sectors;
  fat_sectors.reserve(wanted);
  for (std::size_t i = 0; i < kHeaderFatSectors && fat_sectors.size() < wanted; ++i)
    fat_sectors.push_back(le32(bytes_, 76 + 4 * i));
  std::vector<bool> seen(sector_count_);
  for (std::uint32_t difat = first_difat_sector; fat_sectors.size() < wanted;) {
    if (difat >= sector_count_ || seen[difat]) return ReadStatus::malformed;
    seen[difat] = true;
    const std::string_view block = sector(difat);
    if (block.size() < sector_size()) return ReadStatus::malformed;
    // Each DIFAT sector lists FAT sectors and ends with the next DIFAT sector.
    for (std::uint32_t i = 0; i + 1 < per_sector && fat_sectors.size() < wanted; ++i)
      fat_sectors.push_back(le32(block, 4 * i));
    difat = le32(block, block.size() - 4);
  }
  fat_.assign(sector_count_, kEndOfChain);
  for (std::size_t i = 0; i < fat_sectors.size(); ++i) {
    if (fat_sectors[i] >= sector_count_) return ReadStatus::malformed;
    const std::string_view block = sector(fat_sectors[i]);
    const std::size_t first = i * per_sector;
    const std::size_t count = std::min<std::size_t>({per_sector, block.size() / 4, sector_count_ - first});
    for (std::size_t k = 0; k < count; ++k) fat_[first + k] = le32(block, 4 * k);
  }
  return ReadStatus::ok;
}

ReadStatus CompoundFile::chain_sectors(std::uint32_t start, std::uint64_t size, bool size_known,
                                       std::vector<std::uint32_t>& sectors) const {
  if (size_known && size > (static_cast<std::uint64_t>(sector_count_) << sector_shift_)) return ReadStatus::malformed;
  std::vector<bool> seen(sector_count_);
  std::uint64_t gathered = 0;
  for (std::uint32_t at = start; !size_known || gathered < size; at = fat_[at]) {
    if (!size_known && at == kEndOfChain) break;
    // A chain that ends early, leaves the file or comes back on itself.
    if (at >= sector_count_ || seen[at]) return ReadStatus::malformed;
    seen[at] = true;
    sectors.push_back(at);
    gathered += sector_size();
  }
  return ReadStatus::ok;
}

ReadStatus CompoundFile::read_chain(std::uint32_t start, std::uint64_t size, bool size_known, std::string& copy,
                                    std::string_view& out) const {
  out = {};
  if (size_known && size == 0) return ReadStatus::ok;
  std::vector<std::uint32_t> sectors;
  if (const ReadStatus status = chain_sectors(start, size, size_known, sectors); status != ReadStatus::ok)
    return status;
  if (sectors.empty()) return ReadStatus::ok;  // a chain that ends at once
  if (!size_known) size = static_cast<std::uint64_t>(sectors.size()) << sector_shift_;
  // What the chain holds, the last sector possibly cut short by the file's end.
  const std::uint64_t available = (static_cast<std::uint64_t>(sectors.size() - 1) << sector_shift_) +
                                  sector(sectors.back()).size();
  if (available < size) {
    if (size_known) return ReadStatus::malformed;
    size = available;
  }
  bool contiguous = true;
  for (std::size_t i = 1; i < sectors.size() && contiguous; ++i) contiguous = sectors[i] == sectors[i - 1] + 1;
  if (contiguous) {
    out = bytes_.substr(static_cast<std::size_t>((static_cast<std::uint64_t>(start) + 1) << sector_shift_),
                        static_cast<std::size_t>(size));
    return ReadStatus::ok;
  }
  copy.clear();
  copy.reserve(static_cast<std::size_t>(size));
  for (const std::uint32_t at : sectors) {
    const std::string_view block = sector(at);
    copy.append(block.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - copy.size()))));
  }
  out = copy;
  return ReadStatus::ok;
}

ReadStatus CompoundFile::read_mini_chain(std::uint32_t start, std::uint64_t size, std::string& out) const {
  // The mini stream is the root entry's stream; the mini FAT is a chain of
  // its own, read to its end.
  const Entry root = entry(0);
  std::string mini_copy, fat_copy;
  std::string_view mini_stream, mini_fat;
  if (const ReadStatus status = read_chain(root.start, root.size, true, mini_copy, mini_stream);
      status != ReadStatus::ok)
    return status;
  if (const ReadStatus status = read_chain(first_mini_fat_sector_, 0, false, fat_copy, mini_fat);
      status != ReadStatus::ok)
    return status;
  // The mini stream's last sector may be cut short, where the root's size
  // ends it.
  const std::size_t mini_sectors =
      std::min(mini_fat.size() / 4, (mini_stream.size() + kMiniSectorBytes - 1) / kMiniSectorBytes);
  if (size > std::uint64_t{mini_sectors} * kMiniSectorBytes) return ReadStatus::malformed;
  std::vector<bool> seen(mini_sectors);
  out.clear();
  out.reserve(static_cast<std::size_t>(size));
  for (std::uint32_t at = start; out.size() < size; at = le32(mini_fat, 4 * static_cast<std::size_t>(at))) {
    if (at >= mini_sectors || seen[at]) return ReadStatus::malformed;
    seen[at] = true;
    const std::string_view piece = mini_stream.substr(at * kMiniSectorBytes, kMiniSectorBytes);
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(kMiniSectorBytes, size - out.size()));
    if (piece.size() < wanted) return ReadStatus::malformed;
    out.append(piece.substr(0, wanted));
  }
  return ReadStatus::ok;
}

CompoundFile::Entry CompoundFile::entry(std::size_t index) const {
  const char* at = directory_.data() + index * kEntryBytes;
  Entry e;
  e.type = static_cast<std::uint8_t>(at[66]);
  e.left = le32(at + 68);
  e.right = le32(at + 72);
  e.child = le32(at + 76);
  e.start = le32(at + 116);
  // Version 3 files keep only 32 bits of a size; some writers leave garbage
  // in the upper half.
  e.size = version_4_ ? le64(at + 120) : le32(at + 120);
  return e;
}

bool CompoundFile::entry_named(std::size_t index, std::string_view name) const {
  const char* at = directory_.data() + index * kEntryBytes;
  // The name's length in bytes, its terminating zero included.
  const std::size_t length = le16(at + 64);
  if (length != (name.size() + 1) * 2 || length > 64) return false;
  const auto upper = [](std::uint16_t c) { return c >= 'a' && c <= 'z' ? static_cast<std::uint16_t>(c - 32) : c; };
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (upper(le16(at + 2 * i)) != upper(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

long CompoundFile::find_in_root(std::string_view name) const {
  // The root's children form a tree through their left and right siblings.
  const std::size_t count = entry_count();
  std::vector<bool> seen(count);
  std::vector<std::uint32_t> pending = {entry(0).child};
  while (!pending.empty()) {
    const std::uint32_t id = pending.back();
    pending.pop_back();
    if (id == kNoEntry || id >= count || seen[id]) continue;
    seen[id] = true;
    const Entry e = entry(id);
    if (e.type == kStream && entry_named(id, name)) return static_cast<long>(id);
    pending.push_back(e.left);
    pending.push_back(e.right);
  }
  return -1;
}

bool CompoundFile::has_stream(std::string_view name) const { return find_in_root(name) >= 0; }

ReadStatus CompoundFile::read_stream(std::string_view name, std::uint64_t max_bytes, std::string& copy,
                                     std::string_view& stream) const {
  stream = {};
  const long id = find_in_root(name);
  if (id < 0) return ReadStatus::not_a_workbook;
  const Entry e = entry(static_cast<std::size_t>(id));
  if (e.size > max_bytes) return ReadStatus::over_limit;
  if (e.size >= mini_cutoff_) return read_chain(e.start, e.size, true, copy, stream);
  if (const ReadStatus status = read_mini_chain(e.start, e.size, copy); status != ReadStatus::ok) return status;
  stream = copy;
  return ReadStatus::ok;
}

}  // namespace sheetlib::xls
