#include "sheetlib/write/parallel_deflate.h"
#include "sheetlib/write/repeated_parts.h"
#include "deflated_text.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

namespace sheetlib {
namespace {

// Joined in steps (as a second text over 1 GiB is in a 32-bit build) the
// CRC is the one of both texts together.
TEST(ParallelDeflate, CrcOfTwoTextsJoinedInSteps) {
  const std::string first = "<sst count=\"3\">";
  const std::string second = "<si><t>a</t></si><si><t>bc</t></si><si><t>def</t></si>";
  const auto crc = [](const std::string& text) {
    return static_cast<std::uint32_t>(crc32_z(0, reinterpret_cast<const Bytef*>(text.data()), text.size()));
  };
  for (const std::uint64_t step : {std::uint64_t{1}, std::uint64_t{7}, std::uint64_t{1} << 30}) {
    EXPECT_EQ(crc32_joined(crc(first), crc(second), second.size(), step), crc(first + second)) << step;
  }
}

// Sheet-like XML with runs the blocks before can prime, and noise that they
// cannot.
std::string sample_xml(std::size_t bytes, unsigned seed) {
  std::mt19937 random(seed);
  std::string xml;
  for (int row = 1; xml.size() < bytes; ++row) {
    xml += "<row r=\"" + std::to_string(row) + "\"><c r=\"A" + std::to_string(row) + "\" s=\"1\" t=\"s\"><v>" +
           std::to_string(random() % 100000) + "</v></c></row>";
  }
  xml.resize(bytes);
  return xml;
}

// One stream whatever the cut into blocks and whoever deflates them: the
// block boundary, the last block's end, the CRC of the whole and the sizes.
TEST(ParallelDeflate, BlocksJoinIntoOneStreamOfTheWholeText) {
  constexpr std::size_t kBlock = ParallelDeflater::kBlockBytes;
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{1000}, kBlock - 1, kBlock, kBlock + 1,
                                 5 * kBlock + 12345}) {
    for (const bool helper : {false, true}) {
      SCOPED_TRACE("size " + std::to_string(size) + (helper ? ", with a helper" : ""));
      const std::string xml = sample_xml(size, static_cast<unsigned>(size));
      ParallelDeflater deflater(1, helper);
      // Fed in uneven pieces, as the worksheet stream hands them over.
      for (std::size_t at = 0; at < xml.size();) {
        const std::size_t count = std::min<std::size_t>(xml.size() - at, 1 + (at * 7919) % 300000);
        deflater.add(std::string_view(xml).substr(at, count));
        at += count;
      }
      const DeflatedBytes bytes = deflater.finish();
      ASSERT_TRUE(bytes.made);
      EXPECT_EQ(bytes.size, xml.size());
      std::size_t total = 0;
      for (const std::string& piece : bytes.pieces) total += piece.size();
      EXPECT_EQ(bytes.deflated_size, total);
      EXPECT_EQ(bytes.crc, crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(xml.data()), xml.size()));
      EXPECT_EQ(inflate_all(joined(bytes)), xml);
    }
  }
}

// Each block is primed with the text before it: cut into blocks, a sheet
// deflates to about what one stream makes of it.
TEST(ParallelDeflate, PrimedBlocksCostLittleAgainstOneStream) {
  const std::string xml = sample_xml(8 * ParallelDeflater::kBlockBytes, 7);
  ParallelDeflater deflater(1, true);
  deflater.add(xml);
  const DeflatedBytes bytes = deflater.finish();
  ASSERT_TRUE(bytes.made);
  uLongf one_stream = compressBound(static_cast<uLong>(xml.size()));
  std::string out(one_stream, '\0');
  ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &one_stream, reinterpret_cast<const Bytef*>(xml.data()),
                      static_cast<uLong>(xml.size()), 1),
            Z_OK);
  EXPECT_LT(static_cast<double>(bytes.deflated_size), 1.02 * static_cast<double>(one_stream));
}

// Parts every workbook repeats are deflated once and handed out again; the
// compressors behind them are kept between parts, at whatever level each was
// made for, and shared by the threads that save.
TEST(RepeatedParts, SameXmlSameBytesAndEveryResultInflatesToItsXml) {
  const std::string styles = sample_xml(3000, 1), relationships = sample_xml(500, 2);
  const auto first = deflate_repeated_part(styles, 1);
  ASSERT_TRUE(first->made);
  EXPECT_EQ(deflate_repeated_part(styles, 1), first);
  EXPECT_NE(deflate_repeated_part(relationships, 1), first);
  const auto other_level = deflate_repeated_part(styles, 9);
  EXPECT_NE(other_level, first);
  EXPECT_EQ(inflate_all(joined(*other_level)), styles);
  const std::string large = sample_xml(100 * 1024, 3);
  EXPECT_NE(deflate_repeated_part(large, 1), deflate_repeated_part(large, 1));  // too large to keep

  std::vector<std::thread> savers;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    savers.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        const std::string own = sample_xml(200 + static_cast<std::size_t>(i), static_cast<unsigned>(t * 1000 + i));
        const int level = i % 3 == 0 ? 9 : 1;
        if (inflate_all(joined(deflate_part(own, level))) != own) ++wrong[t];
        const auto shared = deflate_repeated_part(i % 2 ? styles : large, 1);
        if (inflate_all(joined(*shared)) != (i % 2 ? styles : large)) ++wrong[t];
      }
    });
  }
  for (std::thread& saver : savers) saver.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace sheetlib
