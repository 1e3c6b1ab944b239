// libFuzzer target: any bytes, loaded as a workbook file and read cell by
// cell as the program reads a dropped workbook.
//
// Deflated parts are opaque to byte mutations, and a mutated stored part
// fails its checksum; so after most mutations the checksums of stored
// entries are set right again, and the mutations reach the XML inside (the
// seeds include workbooks whose parts are stored).
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "book_reading.h"

namespace {

std::uint32_t get_le(const std::uint8_t* at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | at[i];
  return value;
}

void put_le32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// For every central directory entry of a stored part whose local header and
// data lie inside the input: the checksum of the data, in both headers.
void set_stored_checksums(std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kCentralHeader = 46, kLocalHeader = 30;
  for (std::size_t at = 0; at + kCentralHeader <= size; ++at) {
    if (get_le(data + at, 4) != 0x02014b50 || get_le(data + at + 10, 2) != 0) continue;
    const std::size_t local = get_le(data + at + 42, 4);
    const std::size_t length = get_le(data + at + 20, 4);
    if (local > size || size - local < kLocalHeader || get_le(data + local, 4) != 0x04034b50) continue;
    const std::size_t start = local + kLocalHeader + get_le(data + local + 26, 2) + get_le(data + local + 28, 2);
    if (start > size || size - start < length) continue;
    const auto crc = static_cast<std::uint32_t>(crc32(0, data + start, static_cast<uInt>(length)));
    put_le32(data + at + 16, crc);
    put_le32(data + local + 14, crc);
  }
}

}  // namespace

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t max_size);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t max_size,
                                               unsigned int seed) {
  size = LLVMFuzzerMutate(data, size, max_size);
  // One mutation in eight keeps its broken checksums: they must fail cleanly.
  if (seed % 8 != 0) set_stored_checksums(data, size);
  return size;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sheetlib::fuzz::load_and_read(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
