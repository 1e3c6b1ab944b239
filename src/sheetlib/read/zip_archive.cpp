#include "sheetlib/read/zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <new>

namespace sheetlib {

namespace {

// Below this size a part is not held to the inflation ratio: small parts of
// repeated markup legitimately compress very well.
constexpr std::uint64_t kRatioFreeBytes = std::uint64_t{1} << 20;

bool starts_with_zip_signature(std::string_view bytes) {
  return bytes.size() >= 4 && bytes[0] == 'P' && bytes[1] == 'K';
}

// A libzip handle of the archive in `bytes`; null with `code` set on failure.
zip_t* open_handle(std::string_view bytes, int& code) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  if (!source) {
    zip_error_fini(&error);
    code = ZIP_ER_MEMORY;
    return nullptr;
  }
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
  if (!archive) {
    code = zip_error_code_zip(&error);
    zip_source_free(source);
  }
  zip_error_fini(&error);
  return archive;
}

}  // namespace

ZipArchive::~ZipArchive() {
  if (archive_) zip_discard(archive_);
  if (second_handle_) zip_discard(second_handle_);
}

std::string part_key(std::string_view name) {
  std::string key;
  key.reserve(name.size());
  for (char c : name) {
    if (c == '\\') c = '/';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c == '/' && key.empty()) continue;
    key.push_back(c);
  }
  return key;
}

ReadStatus ZipArchive::open(std::string_view bytes, const ReadLimits& limits, std::unique_ptr<ZipArchive>& result) {
  // libzip opens an empty buffer as an empty archive; an empty file is no zip.
  if (bytes.empty()) return ReadStatus::not_a_zip;
  int code = ZIP_ER_OK;
  zip_t* archive = open_handle(bytes, code);
  if (!archive) {
    if (code == ZIP_ER_MEMORY) return ReadStatus::out_of_memory;
    // A file that starts like a zip but cannot be opened is a broken one
    // (truncated, or its directory points outside the file).
    return starts_with_zip_signature(bytes) ? ReadStatus::malformed : ReadStatus::not_a_zip;
  }
  // The whole package may inflate to a multiple of the file's size (or to a
  // floor that small files never need): what a file may cost is bounded by
  // what it is.
  ReadLimits package_limits = limits;
  const std::uint64_t size = bytes.size();
  const std::uint64_t per_byte = limits.inflated_bytes_per_file_byte;
  const std::uint64_t by_size = per_byte != 0 && size > UINT64_MAX / per_byte ? UINT64_MAX : size * per_byte;
  package_limits.max_total_inflated_bytes =
      std::min(limits.max_total_inflated_bytes, std::max(limits.min_inflated_bytes, by_size));
  // Without the memory for its owner the archive would never be closed.
  ZipArchive* owner = new (std::nothrow) ZipArchive(archive, bytes, package_limits);
  if (!owner) {
    zip_discard(archive);
    return ReadStatus::out_of_memory;
  }
  result.reset(owner);

  const zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    if (!name) continue;
    // The first entry of a name wins, as in the central directory's order.
    result->index_.emplace(part_key(name), static_cast<std::uint64_t>(i));
  }
  return ReadStatus::ok;
}

bool ZipArchive::contains(std::string_view part_name) const { return index_.count(part_key(part_name)) > 0; }

std::uint64_t ZipArchive::declared_size(std::string_view part_name) const {
  const auto found = index_.find(part_key(part_name));
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (found == index_.end() || zip_stat_index(archive_, found->second, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
    return 0;
  return stat.size;
}

std::unique_ptr<PartStream> ZipArchive::open_part(std::string_view part_name, ReadStatus& status) {
  return open_part_with(archive_, part_name, status);
}

std::unique_ptr<PartStream> ZipArchive::open_part_for_other_thread(std::string_view part_name, ReadStatus& status) {
  if (!second_handle_) {
    int code = ZIP_ER_OK;
    second_handle_ = open_handle(bytes_, code);
    if (!second_handle_) {
      // The same bytes opened before: only memory can be missing now.
      status = code == ZIP_ER_MEMORY ? ReadStatus::out_of_memory : ReadStatus::malformed;
      return nullptr;
    }
  }
  return open_part_with(second_handle_, part_name, status);
}

std::unique_ptr<PartStream> ZipArchive::open_part_with(zip_t* handle, std::string_view part_name,
                                                       ReadStatus& status) {
  const auto found = index_.find(part_key(part_name));
  if (found == index_.end()) {
    status = ReadStatus::not_a_workbook;
    return nullptr;
  }
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(handle, found->second, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
      !(stat.valid & ZIP_STAT_COMP_SIZE)) {
    status = ReadStatus::malformed;
    return nullptr;
  }
  // What the directory claims is checked before anything is inflated, and
  // again, against what really comes out, while reading.
  const std::uint64_t inflated_total = inflated_total_.load(std::memory_order_relaxed);
  if (inflated_total > limits_.max_total_inflated_bytes ||
      stat.size > limits_.max_total_inflated_bytes - inflated_total ||
      (stat.size > kRatioFreeBytes && stat.size / (stat.comp_size ? stat.comp_size : 1) > limits_.max_inflation_ratio)) {
    status = ReadStatus::over_limit;
    return nullptr;
  }
  zip_file_t* file = zip_fopen_index(handle, found->second, 0);
  if (!file) {
    status = zip_error_code_zip(zip_get_error(handle)) == ZIP_ER_MEMORY ? ReadStatus::out_of_memory
                                                                          : ReadStatus::malformed;
    return nullptr;
  }
  // Without the memory for its stream the part would never be closed.
  PartStream* stream = new (std::nothrow) PartStream(*this, file, stat.size, stat.comp_size);
  if (!stream) {
    zip_fclose(file);
    status = ReadStatus::out_of_memory;
    return nullptr;
  }
  status = ReadStatus::ok;
  return std::unique_ptr<PartStream>(stream);
}

PartStream::~PartStream() {
  if (file_) zip_fclose(file_);
}

std::ptrdiff_t PartStream::read(char* buffer, std::size_t capacity) {
  if (status_ != ReadStatus::ok) return -1;
  const zip_int64_t got = zip_fread(file_, buffer, capacity);
  if (got < 0) {
    status_ = zip_error_code_zip(zip_file_get_error(file_)) == ZIP_ER_MEMORY ? ReadStatus::out_of_memory
                                                                             : ReadStatus::malformed;
    return -1;
  }
  const auto count = static_cast<std::uint64_t>(got);
  inflated_ += count;
  const std::uint64_t inflated_total =
      archive_.inflated_total_.fetch_add(count, std::memory_order_relaxed) + count;
  // A part that inflates beyond its declared size lies about itself.
  if (inflated_ > declared_size_) {
    status_ = ReadStatus::malformed;
    return -1;
  }
  if (inflated_total > archive_.limits_.max_total_inflated_bytes ||
      (inflated_ > kRatioFreeBytes &&
       inflated_ / (compressed_size_ ? compressed_size_ : 1) > archive_.limits_.max_inflation_ratio)) {
    status_ = ReadStatus::over_limit;
    return -1;
  }
  return static_cast<std::ptrdiff_t>(got);
}

}  // namespace sheetlib
