// The characters of the code pages byte strings (Excel 5.0 and 95) may be
// in, besides GBK, which the program's own converter reads. The tables are
// generated (make_code_page_tables.py, from Python's codecs).
#pragma once

#include <cstdint>

namespace sheetlib::xls {

// A single-byte page: the characters of bytes 0x80-0xFF (the bytes below
// are ASCII); nullptr for a code page without a table of this kind. A byte
// the page leaves undefined is U+FFFD (a C1 control in 0x80-0x9F).
const char16_t* single_byte_table(std::uint16_t code_page);

// A double-byte page (Japanese 932, Korean 949, Big5 950): a byte of
// 0x80-0xFF either leads a pair (its row is not 0xFF) or stands alone.
struct DoubleByteTable {
  const char16_t* high;        // bytes 0x80-0xFF alone; U+FFFD for lead bytes
  const std::uint8_t* rows;    // the row of each byte 0x80-0xFF, 0xFF when it leads none
  const char16_t* pairs;       // [row * trail_count + trail - first_trail]; 0: no character
  std::uint8_t first_trail;
  std::uint8_t trail_count;
};

// nullptr for a code page without a table of this kind.
const DoubleByteTable* double_byte_table(std::uint16_t code_page);

}  // namespace sheetlib::xls
