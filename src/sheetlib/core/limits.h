// The sizes a sheet can have, and the limits a file read must keep to.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sheetlib {

// The sheet of Excel 2007 and later: A1:XFD1048576.
inline constexpr std::uint32_t kMaxRows = 1'048'576;
inline constexpr std::uint32_t kMaxColumns = 16'384;

// Limits against hostile files; a file over any of them fails to load.
struct ReadLimits {
  // All parts read, uncompressed; of an .xls, its workbook stream.
  std::uint64_t max_total_inflated_bytes = std::uint64_t{4} << 30;
  std::uint64_t max_inflation_ratio = 1000;   // uncompressed / compressed, per part (for parts > 1 MiB)
  int max_element_depth = 256;
  // A 20,000 x 1,000 sheet of distinct texts has 20 million, with its
  // headings; every string costs at least 8 bytes however short.
  std::size_t max_shared_strings = 32'000'000;
  // The work a file may cause grows with its size, so that a few megabytes
  // of repeated markup (which deflate shrinks a thousandfold) cannot hold the
  // reader for minutes. Over all parts read, the inflated bytes and the
  // markup items (start tags, attributes, pieces of text) may each reach the
  // larger of a floor and a multiple of the file's size. The most
  // compressible workbooks that spreadsheet programs write (a million empty
  // formatted rows, columns of one value) use 25 bytes and 2.3 items per
  // byte of file; a 44 MB sheet of a million rows 4.6 and 0.6.
  std::uint64_t min_inflated_bytes = std::uint64_t{256} << 20;
  std::uint64_t inflated_bytes_per_file_byte = 100;
  std::uint64_t min_markup_items = std::uint64_t{16} << 20;
  std::uint64_t markup_items_per_file_byte = 4;
};

}  // namespace sheetlib
