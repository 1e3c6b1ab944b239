#include "sheetlib/write/deflated_part.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <system_error>

namespace sheetlib {

namespace {

constexpr std::size_t kPiece = 64 * 1024;

// Raw deflate (no zlib header), as zip entries hold it, piece by piece as
// zlib's own example does; false when zlib lacks memory.
bool deflate_raw(const std::string& xml, int level, std::string& out) {
  z_stream stream{};
  if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  int status = Z_OK;
  try {
    out.reserve(xml.size() / 4);
    std::string piece(kPiece, '\0');
    std::size_t at = 0;
    int flush = Z_NO_FLUSH;
    while (flush != Z_FINISH) {
      const std::size_t count = std::min(kPiece, xml.size() - at);
      stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(xml.data() + at));
      stream.avail_in = static_cast<uInt>(count);
      at += count;
      flush = at == xml.size() ? Z_FINISH : Z_NO_FLUSH;
      do {
        stream.next_out = reinterpret_cast<Bytef*>(piece.data());
        stream.avail_out = static_cast<uInt>(kPiece);
        status = deflate(&stream, flush);
        out.append(piece.data(), kPiece - stream.avail_out);
      } while (stream.avail_out == 0);
    }
  } catch (...) {
    deflateEnd(&stream);
    throw;
  }
  deflateEnd(&stream);
  return status == Z_STREAM_END;
}

}  // namespace

DeflatedPart::DeflatedPart(std::function<std::string()> make, int level) : make_(std::move(make)), level_(level) {
  zip_error_init(&error_);
  try {
    thread_ = std::thread([this] { make_and_deflate(); });
  } catch (const std::system_error&) {
    make_and_deflate();
  }
}

DeflatedPart::~DeflatedPart() {
  wait();
  zip_error_fini(&error_);
}

void DeflatedPart::wait() {
  if (thread_.joinable()) thread_.join();
}

void DeflatedPart::make_and_deflate() {
  // Nothing may escape a thread: running out of memory is the save's
  // failure (made stays false).
  try {
    const std::string xml = make_();
    result_.size = xml.size();
    result_.crc = static_cast<std::uint32_t>(
        crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(xml.data()), xml.size()));
    result_.made = deflate_raw(xml, level_, result_.deflated);
  } catch (...) {
    result_.made = false;
  }
}

zip_source_t* DeflatedPart::source(zip_t* archive) { return zip_source_function(archive, callback, this); }

zip_int64_t DeflatedPart::callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  DeflatedPart& part = *static_cast<DeflatedPart*>(state);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      part.wait();
      if (!part.result_.made) {
        zip_error_set(&part.error_, ZIP_ER_MEMORY, 0);
        return -1;
      }
      part.taken_ = 0;
      return 0;
    case ZIP_SOURCE_READ: {
      const std::string& bytes = part.result_.deflated;
      const std::size_t count = static_cast<std::size_t>(std::min<zip_uint64_t>(length, bytes.size() - part.taken_));
      std::memcpy(data, bytes.data() + part.taken_, count);
      part.taken_ += count;
      return static_cast<zip_int64_t>(count);
    }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
      return 0;
    case ZIP_SOURCE_STAT: {
      if (length < sizeof(zip_stat_t)) break;
      part.wait();
      if (!part.result_.made) {
        zip_error_set(&part.error_, ZIP_ER_MEMORY, 0);
        return -1;
      }
      // Deflated data with its size and checksum: libzip copies it as it is.
      zip_stat_t* stat = static_cast<zip_stat_t*>(data);
      zip_stat_init(stat);
      stat->size = part.result_.size;
      stat->comp_size = part.result_.deflated.size();
      stat->comp_method = ZIP_CM_DEFLATE;
      stat->crc = part.result_.crc;
      stat->encryption_method = ZIP_EM_NONE;
      stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_ENCRYPTION_METHOD;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&part.error_, data, length);
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      break;
  }
  zip_error_set(&part.error_, ZIP_ER_INVAL, 0);
  return -1;
}

}  // namespace sheetlib
