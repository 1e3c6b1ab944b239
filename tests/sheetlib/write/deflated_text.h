// Tests' view of deflated parts: the text they inflate to.
#pragma once

#include <zlib.h>

#include <gtest/gtest.h>

#include <string>

#include "sheetlib/write/parallel_deflate.h"

namespace sheetlib {

// Inflates a raw deflate stream that must end exactly where the data does.
inline std::string inflate_all(const std::string& deflated) {
  z_stream stream{};
  EXPECT_EQ(inflateInit2(&stream, -MAX_WBITS), Z_OK);
  std::string out;
  std::string piece(64 * 1024, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  stream.avail_in = static_cast<uInt>(deflated.size());
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(piece.data());
    stream.avail_out = static_cast<uInt>(piece.size());
    status = inflate(&stream, Z_NO_FLUSH);
    out.append(piece.data(), piece.size() - stream.avail_out);
    if (status == Z_BUF_ERROR && stream.avail_in == 0) break;
  }
  EXPECT_EQ(status, Z_STREAM_END) << "the stream must end with its last block";
  EXPECT_EQ(stream.avail_in, 0u) << "nothing may follow the last block";
  inflateEnd(&stream);
  return out;
}

inline std::string joined(const DeflatedBytes& bytes) {
  std::string all;
  for (const std::string& piece : bytes.pieces) all += piece;
  return all;
}

// The text of a deflated part, with its size and CRC-32 checked.
inline std::string inflated(const DeflatedBytes& bytes) {
  EXPECT_TRUE(bytes.made);
  const std::string text = inflate_all(joined(bytes));
  EXPECT_EQ(bytes.size, text.size());
  EXPECT_EQ(bytes.crc, crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(text.data()), text.size()));
  std::size_t deflated = 0;
  for (const std::string& piece : bytes.pieces) deflated += piece.size();
  EXPECT_EQ(bytes.deflated_size, deflated);
  return text;
}

}  // namespace sheetlib
