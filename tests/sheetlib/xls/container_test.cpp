// The compound file around an .xls workbook: every layout writers use
// reads the same, and every damaged or hostile container fails with a
// status, fast.
#include <gtest/gtest.h>

#include <string>

#include "test_package.h"
#include "xls_maker.h"

namespace sheetlib::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;

// A worksheet of `rows` numbered rows (a label and a number each) and the
// texts it shows.
std::string numbered_stream(int rows) {
  std::string cells;
  for (int r = 0; r < rows; ++r) {
    cells += label(static_cast<std::uint16_t>(r), 0, u"row " + std::u16string(1, static_cast<char16_t>(u'a' + r % 26)));
    cells += number(static_cast<std::uint16_t>(r), 1, r + 0.5);
  }
  return one_sheet_stream(cells);
}

Rows numbered_rows(int rows) {
  Rows expected;
  for (int r = 0; r < rows; ++r)
    expected.push_back({"row " + std::string(1, static_cast<char>('a' + r % 26)), std::to_string(r) + ".5"});
  return expected;
}

// Big enough (over 4,096 bytes) to lie in regular sectors.
constexpr int kRegularRows = 300;

TEST(Container, EveryLayoutReadsTheSame) {
  struct Layout {
    const char* name;
    int rows;
    CompoundOptions options;
  };
  const Layout layouts[] = {
      {"mini stream", 3, {}},
      {"regular sectors in one run", kRegularRows, {}},
      {"regular sectors out of order", kRegularRows, {9, true}},
      {"version 4, 4,096-byte sectors", kRegularRows, {12, false}},
      {"version 4, mini stream", 3, {12, false}},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    Loaded loaded = load(make_xls(numbered_stream(layout.rows), layout.options));
    ASSERT_EQ(loaded.status, ReadStatus::ok);
    EXPECT_EQ(grid_rows(loaded.grid), numbered_rows(layout.rows));
  }
}

TEST(Container, StreamNamesCompareWithoutCaseAndOtherStreamsArePassedOver) {
  const std::string stream = numbered_stream(2);
  const CompoundFile file = make_compound_file({{"\x05SummaryInformation", std::string(200, 'x')},
                                                {"WORKBOOK", stream},
                                                {"\x01" "CompObj", std::string(5000, 'y')}});
  Loaded loaded = load(file.bytes);
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(grid_rows(loaded.grid), numbered_rows(2));
}

TEST(Container, ManyFatSectorsAreListedThroughTheDifatChain) {
  // More than the header's 109 FAT sectors (of 128 sectors each): 7.5 MB.
  std::string stream = numbered_stream(2);
  stream.resize(7'500'000, '\0');  // writers pad the stream after its end
  const CompoundFile file = make_compound_file({{"Workbook", stream}});
  ASSERT_GT(file.fat_sectors.size(), 109u);
  ASSERT_EQ(file.difat_sectors.size(), 1u);
  Loaded loaded = load(file.bytes);
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(grid_rows(loaded.grid), numbered_rows(2));

  CompoundFile lost = file;  // the DIFAT sector outside the file
  lost.bytes.replace(68, 4, u32le(0x00FFFFFF));
  EXPECT_EQ(load(lost.bytes).status, ReadStatus::malformed);
}

TEST(Container, DifatChainThatComesBackOnItselfFails) {
  // Two DIFAT sectors are needed; the first names itself as the next.
  std::string stream = numbered_stream(2);
  stream.resize(16'000'000, '\0');
  CompoundFile file = make_compound_file({{"Workbook", stream}});
  ASSERT_EQ(file.difat_sectors.size(), 2u);
  ASSERT_EQ(load(file.bytes).status, ReadStatus::ok);
  const std::uint32_t first = file.difat_sectors[0];
  file.bytes.replace(file.sector_offset(first) + file.sector_size - 4, 4, u32le(first));
  EXPECT_EQ(load(file.bytes).status, ReadStatus::malformed);
}

TEST(Container, SectorChainsThatLoopEndEarlyOrLeaveTheFileFail) {
  const CompoundFile file = make_compound_file({{"Workbook", numbered_stream(kRegularRows)}});
  const std::uint32_t start = file.stream_starts.at("Workbook");
  ASSERT_EQ(load(file.bytes).status, ReadStatus::ok);

  CompoundFile looped = file;  // the third sector leads back to the first
  looped.set_fat(start + 2, start);
  EXPECT_EQ(load(looped.bytes).status, ReadStatus::malformed);

  CompoundFile self = file;
  self.set_fat(start, start);
  EXPECT_EQ(load(self.bytes).status, ReadStatus::malformed);

  CompoundFile early = file;  // ends after two sectors
  early.set_fat(start + 1, kEndOfChain);
  EXPECT_EQ(load(early.bytes).status, ReadStatus::malformed);

  CompoundFile outside = file;
  outside.set_fat(start + 1, 0x00FFFFFF);
  EXPECT_EQ(load(outside.bytes).status, ReadStatus::malformed);

  // Chains read to their end, not to a size: the directory's and the mini
  // FAT's would go round for ever.
  CompoundFile directory = file;
  directory.set_fat(file.directory_start, file.directory_start);
  EXPECT_EQ(load(directory.bytes).status, ReadStatus::malformed);
  CompoundFile small = make_compound_file({{"Workbook", numbered_stream(3)}});
  small.set_fat(small.mini_fat_start, small.mini_fat_start);
  EXPECT_EQ(load(small.bytes).status, ReadStatus::malformed);

  CompoundFile into_directory = file;  // two streams sharing sectors
  into_directory.set_fat(start + 1, file.directory_start);
  EXPECT_NE(load(into_directory.bytes).status, ReadStatus::ok);
}

TEST(Container, MiniFatThatLoopsFails) {
  CompoundFile file = make_compound_file({{"Workbook", numbered_stream(3)}});
  const std::uint32_t start = file.stream_starts.at("Workbook");
  ASSERT_EQ(load(file.bytes).status, ReadStatus::ok);
  file.bytes.replace(file.sector_offset(file.mini_fat_start) + 4 * (start + 1), 4, u32le(start));
  EXPECT_EQ(load(file.bytes).status, ReadStatus::malformed);
}

TEST(Container, AMiniStreamCutShortByItsSizeReadsWhatItHolds) {
  const std::string stream = numbered_stream(3);
  CompoundFile file = make_compound_file({{"Workbook", stream}});
  ASSERT_GT(stream.size() % 64, 0u);
  // The root's size ends the mini stream with the workbook stream's last
  // byte (writers round it up to whole mini sectors; some do not).
  file.bytes.replace(file.entry_offset(0) + 120, 4, u32le(static_cast<std::uint32_t>(stream.size())));
  Loaded loaded = load(file.bytes);
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(grid_rows(loaded.grid), numbered_rows(3));
  // One byte less, and the stream runs past the mini stream.
  file.bytes.replace(file.entry_offset(0) + 120, 4, u32le(static_cast<std::uint32_t>(stream.size() - 1)));
  EXPECT_EQ(load(file.bytes).status, ReadStatus::malformed);
}

TEST(Container, DirectoryTreeThatLoopsEndsTheSearch) {
  // Two streams, neither a workbook, each the other's sibling.
  CompoundFile file = make_compound_file({{"One", "1"}, {"Two", "2"}});
  file.bytes.replace(file.entry_offset(2) + 72, 4, u32le(1));
  file.bytes.replace(file.entry_offset(2) + 68, 4, u32le(2));
  EXPECT_EQ(load(file.bytes).status, ReadStatus::not_a_workbook);
}

TEST(Container, DeclaredSizesBeyondTheFileFail) {
  const CompoundFile file = make_compound_file({{"Workbook", numbered_stream(kRegularRows)}});
  CompoundFile huge = file;
  huge.bytes.replace(file.entry_offset(1) + 120, 4, u32le(0xFFFFFFF0));
  EXPECT_EQ(load(huge.bytes).status, ReadStatus::malformed);

  // Version 4 keeps 64-bit sizes: one beyond every limit.
  CompoundFile v4 = make_compound_file({{"Workbook", numbered_stream(kRegularRows)}}, {12, false});
  v4.bytes.replace(v4.entry_offset(1) + 124, 4, u32le(0x7FFFFFFF));
  EXPECT_EQ(load(v4.bytes).status, ReadStatus::over_limit);

  // A count of FAT sectors far beyond the file: only those the file holds are read.
  CompoundFile many_fat = file;
  many_fat.bytes.replace(44, 4, u32le(0x7FFFFFFF));
  EXPECT_EQ(load(many_fat.bytes).status, ReadStatus::ok);

  ReadLimits limits;
  limits.max_total_inflated_bytes = 4000;
  EXPECT_EQ(load(file.bytes, limits).status, ReadStatus::over_limit);
}

TEST(Container, BrokenHeadersFail) {
  const std::string good = make_xls(numbered_stream(3));
  const auto with = [&](std::size_t at, const std::string& bytes) {
    std::string changed = good;
    changed.replace(at, bytes.size(), bytes);
    return changed;
  };
  EXPECT_EQ(load(good.substr(0, 300)).status, ReadStatus::malformed);
  EXPECT_EQ(load(good.substr(0, 512)).status, ReadStatus::malformed);  // a header, no sectors
  EXPECT_EQ(load(with(28, u16le(0xFEFF))).status, ReadStatus::malformed);  // byte order
  EXPECT_EQ(load(with(30, u16le(20))).status, ReadStatus::malformed);      // 1 MiB sectors
  EXPECT_EQ(load(with(30, u16le(0))).status, ReadStatus::malformed);
  EXPECT_EQ(load(with(32, u16le(12))).status, ReadStatus::malformed);  // mini sectors
  EXPECT_EQ(load(with(48, u32le(0x00FFFFFF))).status, ReadStatus::malformed);  // directory
  EXPECT_EQ(load(with(76, u32le(kEndOfChain))).status, ReadStatus::malformed);  // first FAT sector
}

TEST(Container, EveryTruncationFailsOrReadsTheWholeSheet) {
  for (const int rows : {3, kRegularRows}) {
    const std::string bytes = make_xls(numbered_stream(rows));
    for (std::size_t size = 0; size < bytes.size(); size += 61) {
      Loaded loaded = load(bytes.substr(0, size));
      // Cutting only the unused end of the last FAT sector loses nothing.
      if (loaded.status == ReadStatus::ok) {
        EXPECT_EQ(grid_rows(loaded.grid), numbered_rows(rows)) << size;
      }
    }
  }
}

TEST(Container, WhatIsNoReadableWorkbookSaysWhy) {
  EXPECT_EQ(load(make_compound_file({{"WordDocument", std::string(5000, 'w')}}).bytes).status,
            ReadStatus::not_a_workbook);
  // Excel 95's "Book" stream, read, yet holding no worksheet.
  const std::string biff5 = bof(kGlobalsSubstream, 0x0500) + eof();
  EXPECT_EQ(load(make_compound_file({{"Book", biff5}}).bytes).status, ReadStatus::not_a_workbook);
  // An .xlsx saved with a password.
  EXPECT_EQ(load(make_compound_file({{"EncryptionInfo", std::string(300, 'i')},
                                     {"EncryptedPackage", std::string(6000, 'p')}})
                     .bytes)
                .status,
            ReadStatus::encrypted);
}

}  // namespace
}  // namespace sheetlib::testing
