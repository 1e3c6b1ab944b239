#include "sheetlib/write/deflated_part.h"

#include <algorithm>
#include <cstring>

namespace sheetlib {

namespace {

struct DeflatedSource {
  const DeflatedBytes& bytes;
  std::size_t piece = 0;  // being read
  std::size_t taken = 0;  // of that piece
  zip_error_t error;
};

zip_int64_t deflated_source_callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto& source = *static_cast<DeflatedSource*>(state);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      if (!source.bytes.made) {
        zip_error_set(&source.error, ZIP_ER_MEMORY, 0);
        return -1;
      }
      source.piece = 0;
      source.taken = 0;
      return 0;
    case ZIP_SOURCE_READ: {
      zip_uint64_t written = 0;
      const std::vector<std::string>& pieces = source.bytes.pieces;
      while (written < length && source.piece < pieces.size()) {
        const std::string& piece = pieces[source.piece];
        const std::size_t count =
            static_cast<std::size_t>(std::min<zip_uint64_t>(length - written, piece.size() - source.taken));
        std::memcpy(static_cast<char*>(data) + written, piece.data() + source.taken, count);
        written += count;
        source.taken += count;
        if (source.taken == piece.size()) {
          ++source.piece;
          source.taken = 0;
        }
      }
      return static_cast<zip_int64_t>(written);
    }
    case ZIP_SOURCE_CLOSE:
      return 0;
    case ZIP_SOURCE_FREE:
      zip_error_fini(&source.error);
      delete &source;
      return 0;
    case ZIP_SOURCE_STAT: {
      if (length < sizeof(zip_stat_t)) break;
      if (!source.bytes.made) {
        zip_error_set(&source.error, ZIP_ER_MEMORY, 0);
        return -1;
      }
      // Deflated data with its size and checksum: libzip copies it as it is.
      zip_stat_t* stat = static_cast<zip_stat_t*>(data);
      zip_stat_init(stat);
      stat->size = source.bytes.size;
      stat->comp_size = source.bytes.deflated_size;
      stat->comp_method = ZIP_CM_DEFLATE;
      stat->crc = source.bytes.crc;
      stat->encryption_method = ZIP_EM_NONE;
      stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_ENCRYPTION_METHOD;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&source.error, data, length);
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      break;
  }
  zip_error_set(&source.error, ZIP_ER_INVAL, 0);
  return -1;
}

}  // namespace

zip_source_t* deflated_source(zip_t* archive, const DeflatedBytes& bytes) {
  auto* state = new DeflatedSource{bytes, 0, 0, {}};
  zip_error_init(&state->error);
  zip_source_t* source = zip_source_function(archive, deflated_source_callback, state);
  if (!source) {
    zip_error_fini(&state->error);
    delete state;
  }
  return source;
}

}  // namespace sheetlib
