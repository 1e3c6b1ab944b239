// Files that are no workbooks, broken workbooks and workbooks built to hurt
// the reader: each fails with a status, fast, without crashing.
#include <gtest/gtest.h>

#include <string>

#include "test_package.h"

namespace sheetlib::testing {
namespace {

std::string valid_workbook() {
  return make_workbook(sheet_xml("<row><c t=\"s\"><v>0</v></c><c><v>2</v></c></row>"),
                       shared_strings_xml("<si><t>kept</t></si>"));
}

TEST(NotAWorkbook, FilesThatAreNoZipFailAsSuch) {
  EXPECT_EQ(load("").status, ReadStatus::not_a_zip);
  EXPECT_EQ(load("name,value\nx,1\n").status, ReadStatus::not_a_zip);
  // An encrypted workbook and an .xls are compound files, read as such:
  // this one has nothing but its signature.
  std::string compound_file("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  compound_file.resize(4096, '\0');
  EXPECT_EQ(load(compound_file).status, ReadStatus::malformed);
}

TEST(BrokenZip, EveryTruncationFailsCleanly) {
  const std::string bytes = valid_workbook();
  ASSERT_EQ(load(bytes).status, ReadStatus::ok);
  for (std::size_t size = 0; size < bytes.size(); size += 13)
    EXPECT_NE(load(bytes.substr(0, size)).status, ReadStatus::ok) << size;
}

TEST(BrokenZip, CorruptedBytesNeverCrashAndNeverReadAsTheOriginal) {
  const std::string bytes = valid_workbook();
  for (std::size_t at = 0; at < bytes.size(); at += 3) {
    std::string corrupt = bytes;
    corrupt[at] = static_cast<char>(corrupt[at] ^ 0x5A);
    Loaded loaded = load(corrupt);
    // A flipped byte in a header field or a name may leave a readable file,
    // but never one whose texts silently changed (a cell whose shared
    // string is no longer found fails the load).
    if (loaded.status == ReadStatus::ok && loaded.grid.row_extent() == 1 && loaded.grid.column_extent() == 2) {
      EXPECT_EQ(loaded.grid.text(0, 0), "kept") << at;
      EXPECT_EQ(loaded.grid.text(0, 1), "2") << at;
    }
  }
}

TEST(BrokenZip, DirectoryThatLiesFails) {
  const std::string sheet = sheet_xml("<row><c><v>1</v></c></row>");
  const auto with_sheet = [&](RawEntry entry) {
    std::vector<RawEntry> entries = workbook_entries_without_sheet();
    entries.push_back(std::move(entry));
    return make_raw_zip(entries);
  };
  RawEntry honest = stored("xl/worksheets/sheet1.xml", sheet);
  ASSERT_EQ(load(with_sheet(honest)).status, ReadStatus::ok);

  RawEntry wrong_crc = honest;
  wrong_crc.crc ^= 1;
  EXPECT_EQ(load(with_sheet(wrong_crc)).status, ReadStatus::malformed);

  RawEntry short_claim = honest;  // claims fewer bytes than it holds
  short_claim.uncompressed_size = short_claim.compressed_size = 20;
  EXPECT_NE(load(with_sheet(short_claim)).status, ReadStatus::ok);

  RawEntry long_claim = honest;  // claims more bytes than the file holds
  long_claim.uncompressed_size = long_claim.compressed_size = 1'000'000;
  EXPECT_NE(load(with_sheet(long_claim)).status, ReadStatus::ok);

  std::string moved = with_sheet(honest);
  // The directory's offset of the worksheet (its last entry) pointing past
  // the file's end.
  const std::size_t sheet_entry = moved.rfind(std::string("PK\x01\x02", 4));
  ASSERT_NE(sheet_entry, std::string::npos);
  moved.replace(sheet_entry + 42, 4, std::string("\xF0\xFF\xFF\x0F", 4));
  EXPECT_NE(load(moved).status, ReadStatus::ok);
}

TEST(ZipBomb, GigabytesOfZerosAreRefusedBeforeTheyAreInflated) {
  const std::uint32_t mebibytes = 3 * 1024;  // 3 GiB inflated, about 3 MB deflated
  const std::string bomb = deflated_zeros(mebibytes);
  const auto with_sheet = [&](std::uint32_t claimed_size) {
    std::vector<RawEntry> entries = workbook_entries_without_sheet();
    entries.push_back({"xl/worksheets/sheet1.xml", bomb, 8, 0, static_cast<std::uint32_t>(bomb.size()), claimed_size});
    return make_raw_zip(entries);
  };
  // Honest about its size: over the ratio before anything is inflated.
  EXPECT_EQ(load(with_sheet(mebibytes << 20)).status, ReadStatus::over_limit);
  // Claiming a plausible size: stopped as soon as it inflates beyond it.
  EXPECT_EQ(load(with_sheet(static_cast<std::uint32_t>(bomb.size()) * 4)).status, ReadStatus::malformed);
  // Allowed any ratio, the total limit still stops it.
  ReadLimits limits;
  limits.max_inflation_ratio = 1u << 30;
  limits.max_total_inflated_bytes = 64u << 20;
  EXPECT_EQ(load(with_sheet(mebibytes << 20), limits).status, ReadStatus::over_limit);
}

TEST(ZipBomb, TotalOfAllPartsIsLimited) {
  const std::string padding(6u << 20, ' ');
  const std::string bytes = make_workbook(sheet_xml("<row><c t=\"s\"><v>0</v></c></row>" + padding),
                                          shared_strings_xml("<si><t>a</t></si>" + padding));
  // Spaces deflate far beyond the default ratio; this is about the total.
  EXPECT_EQ(load(bytes).status, ReadStatus::over_limit);
  ReadLimits limits;
  limits.max_inflation_ratio = 1u << 30;
  ASSERT_EQ(load(bytes, limits).status, ReadStatus::ok);
  limits.max_total_inflated_bytes = 10u << 20;
  EXPECT_EQ(load(bytes, limits).status, ReadStatus::over_limit);
}

// `mebibytes` MiB of empty elements the reader does not know, deflated about
// 850 times (below the limit for one part).
std::string block_of_unknown_elements() {
  std::string unit;
  while (unit.size() < 8192 - 8) unit += "<a/>";
  unit += "<b></b> ";  // a little variety, so that it deflates less than a thousandfold
  std::string block;
  while (block.size() < (1u << 20)) block += unit;
  return block;
}

// An ordinary workbook whose worksheet holds one cell, then the elements.
std::string sheet_of_unknown_elements(std::uint32_t mebibytes) {
  const std::string sheet = sheet_xml("<row r=\"1\"><c r=\"A1\"><v>7</v></c></row><row r=\"2\">");
  const std::size_t cut = sheet.find("</sheetData>");
  std::vector<RawEntry> entries = workbook_entries_without_sheet();
  entries.push_back(repeated_entry("xl/worksheets/sheet1.xml", sheet.substr(0, cut), block_of_unknown_elements(),
                                   mebibytes, "</row>" + sheet.substr(cut)));
  return make_raw_zip(entries);
}

// 3.9 GB of markup in 4.6 MB once kept the reader parsing for 100 s. What a
// file may inflate to is bounded by its size: this one is refused before
// anything is parsed, by what its directory says.
TEST(WorkBound, SmallFileOfGigabytesOfMarkupIsRefusedBeforeItIsParsed) {
  const std::string bytes = sheet_of_unknown_elements(3719);
  ASSERT_LT(bytes.size(), 5'000'000u);
  const Loaded loaded = load(bytes);
  EXPECT_EQ(loaded.status, ReadStatus::over_limit);
  EXPECT_LE(loaded.cost.inflated_bytes, 1'000'000u);
  EXPECT_LE(loaded.cost.markup_items, 100'000u);
}

// Under the floor of inflated bytes a file may still hold more tags than a
// file of its size deserves: a quarter of a megabyte of 200 MiB of empty
// elements, 52 million of them, stops at the floor of markup items.
TEST(WorkBound, SmallFileOfMillionsOfTagsStopsAtTheMarkupBudget) {
  const std::string bytes = sheet_of_unknown_elements(200);
  ASSERT_LT(bytes.size(), 300'000u);
  const ReadLimits defaults;
  const Loaded loaded = load(bytes);
  EXPECT_EQ(loaded.status, ReadStatus::over_limit);
  EXPECT_LE(loaded.cost.markup_items, defaults.min_markup_items + 1);
  EXPECT_LE(loaded.cost.inflated_bytes, 80u << 20);
}

TEST(WorkBound, EveryPartSpendsFromTheSameBudget) {
  ReadLimits limits;
  limits.min_markup_items = 1'000'000;
  // 3 MiB of these elements are 790,000 items: the file loads.
  Loaded loaded = load(sheet_of_unknown_elements(3), limits);
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.text(0, 0), "7");
  EXPECT_GT(loaded.cost.markup_items, 780'000u);
  EXPECT_GT(loaded.cost.inflated_bytes, 3u << 20);
  // The same again in the shared strings, read before the worksheet: over.
  std::vector<RawEntry> entries = workbook_entries_without_sheet();
  for (RawEntry& entry : entries) {
    if (entry.name == "xl/_rels/workbook.xml.rels") {
      entry = stored(entry.name, entry.data.replace(
                                     entry.data.find("</Relationships>"), 0,
                                     "<Relationship Id=\"rId9\" Target=\"sharedStrings.xml\" Type=\"http://schemas."
                                     "openxmlformats.org/officeDocument/2006/relationships/sharedStrings\"/>"));
    }
  }
  const std::string strings = shared_strings_xml("<si><t>x</t></si>");
  const std::size_t cut = strings.find("</sst>");
  entries.push_back(
      repeated_entry("xl/sharedStrings.xml", strings.substr(0, cut), block_of_unknown_elements(), 3, strings.substr(cut)));
  const std::string sheet = sheet_xml("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>");
  const std::size_t sheet_cut = sheet.find("</sheetData>");
  entries.push_back(repeated_entry("xl/worksheets/sheet1.xml", sheet.substr(0, sheet_cut), block_of_unknown_elements(),
                                   3, sheet.substr(sheet_cut)));
  loaded = load(make_raw_zip(entries), limits);
  EXPECT_EQ(loaded.status, ReadStatus::over_limit);
  EXPECT_LE(loaded.cost.markup_items, 1'000'001u);
  // Without the worksheet's share it loads.
  entries.pop_back();
  entries.push_back(stored("xl/worksheets/sheet1.xml", sheet));
  loaded = load(make_raw_zip(entries), limits);
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.text(0, 0), "x");
}

TEST(WorkBound, InflatedBytesAreBoundedByTheFileSizeAboveTheFloor) {
  // 300 MiB of spaces in about 300 KB: above the floor of 256 MiB and a
  // thousand times the file, so refused by what the directory says; with a
  // lower floor, the same holds for smaller amounts.
  const auto spaces = [](std::uint32_t mebibytes) {
    std::vector<RawEntry> entries = workbook_entries_without_sheet();
    const std::string sheet = sheet_xml("<row r=\"1\"><c r=\"A1\"><v>7</v></c></row>");
    const std::size_t cut = sheet.find("</sheetData>");
    entries.push_back(repeated_entry("xl/worksheets/sheet1.xml", sheet.substr(0, cut), std::string(1u << 20, ' '),
                                     mebibytes, sheet.substr(cut)));
    return make_raw_zip(entries);
  };
  EXPECT_EQ(load(spaces(300)).status, ReadStatus::over_limit);
  ReadLimits limits;
  limits.min_inflated_bytes = 8u << 20;
  EXPECT_EQ(load(spaces(6), limits).status, ReadStatus::ok);
  const Loaded loaded = load(spaces(10), limits);
  EXPECT_EQ(loaded.status, ReadStatus::over_limit);
  EXPECT_LT(loaded.cost.inflated_bytes, 10'000u);  // the parts before the worksheet
}

TEST(HostileXml, DocumentTypesAreRefusedSoNoEntityIsExpanded) {
  std::string laughs = "<!DOCTYPE worksheet [<!ENTITY a0 \"ha\">";
  for (int i = 1; i < 30; ++i)
    laughs += "<!ENTITY a" + std::to_string(i) + " \"&a" + std::to_string(i - 1) + ";&a" + std::to_string(i - 1) + ";\">";
  laughs += "]>";
  const std::string sheet_body =
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData><row>"
      "<c t=\"inlineStr\"><is><t>&a29;</t></is></c></row></sheetData></worksheet>";
  EXPECT_EQ(load(make_workbook("<?xml version=\"1.0\"?>" + laughs + sheet_body)).status, ReadStatus::malformed);
  EXPECT_EQ(load(make_workbook("<!DOCTYPE worksheet SYSTEM \"http://example.com/x.dtd\">" + sheet_body)).status,
            ReadStatus::malformed);
  // In any part, not just the worksheet.
  EXPECT_EQ(load(make_workbook(sheet_xml("<row><c t=\"s\"><v>0</v></c></row>"),
                               "<!DOCTYPE sst [<!ENTITY e \"x\">]>" + shared_strings_xml("<si><t>&e;</t></si>")))
                .status,
            ReadStatus::malformed);
}

TEST(HostileXml, DeepNestingStopsAtTheDepthLimit) {
  std::string deep;
  for (int i = 0; i < 100'000; ++i) deep += "<a>";
  for (int i = 0; i < 100'000; ++i) deep += "</a>";
  EXPECT_EQ(load(make_workbook(sheet_xml("<row>" + deep + "</row>"))).status, ReadStatus::over_limit);
  std::string shallow;
  for (int i = 0; i < 200; ++i) shallow += "<a>";
  for (int i = 0; i < 200; ++i) shallow += "</a>";
  EXPECT_EQ(load(make_workbook(sheet_xml("<row>" + shallow + "<c><v>1</v></c></row>"))).status, ReadStatus::ok);
}

TEST(HostileXml, InvalidTextAndMarkupFail) {
  EXPECT_EQ(load(make_workbook(sheet_xml("<row><c t=\"inlineStr\"><is><t>bad \xC3\x28 byte</t></is></c></row>"))).status,
            ReadStatus::malformed);
  EXPECT_EQ(load(make_workbook(sheet_xml("<row><c><v>1</v></row>"))).status, ReadStatus::malformed);
  EXPECT_EQ(load(make_workbook(sheet_xml("<row><c><v>1</v></c></row>"), "<sst><si>")).status, ReadStatus::malformed);
}

TEST(HostileXml, SharedStringCountIsLimited) {
  const std::string bytes =
      make_workbook(sheet_xml("<row><c t=\"s\"><v>0</v></c></row>"), shared_strings_xml("<si/><si/><si/><si/>"));
  ReadLimits limits;
  limits.max_shared_strings = 3;
  EXPECT_EQ(load(bytes, limits).status, ReadStatus::over_limit);
  limits.max_shared_strings = 4;
  EXPECT_EQ(load(bytes, limits).status, ReadStatus::ok);
}

TEST(HostileXml, ManySheetsBeforeTheFirstWorksheetCostOneLookupEach) {
  // 100,000 chart sheets before the worksheet, each looked up among 100,000
  // relationships listed the other way round: once ten billion comparisons,
  // now one lookup a sheet.
  const int count = 100'000;
  std::string sheets, relationships;
  for (int i = 0; i < count; ++i) {
    sheets += "<sheet name=\"s" + std::to_string(i) + "\" sheetId=\"1\" r:id=\"r" + std::to_string(i) + "\"/>";
    relationships += "<Relationship Id=\"r" + std::to_string(count - 1 - i) +
                     "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/chartsheet\""
                     " Target=\"chartsheets/sheet1.xml\"/>";
  }
  std::vector<Part> parts = workbook_parts(sheet_xml("<row><c><v>1</v></c></row>"));
  for (Part& part : parts) {
    if (part.name == "xl/workbook.xml") {
      part.data.replace(part.data.find("<sheets>") + 8, 0, sheets);
    } else if (part.name == "xl/_rels/workbook.xml.rels") {
      part.data.replace(part.data.find("<Relationship "), 0, relationships);
    }
  }
  // The workbook's own sheet, the last one, finds its relationship (rId1).
  EXPECT_EQ(load(make_zip(parts)).status, ReadStatus::ok);
  for (Part& part : parts) {
    if (part.name == "xl/workbook.xml") part.data.replace(part.data.find("r:id=\"rId1\""), 11, "r:id=\"rId9\"");
  }
  EXPECT_EQ(load(make_zip(parts)).status, ReadStatus::malformed);
}

TEST(HostileXml, ManyNamespaceDeclarationsCostOneLookupAName) {
  // 50,000 prefixes declared around 50,000 cells: each name once looked
  // through all of them (a 120 KB file held the reader for minutes).
  std::string declarations, row;
  for (int i = 0; i < 50'000; ++i) declarations += " xmlns:p" + std::to_string(i) + "=\"urn:p\"";
  for (int i = 0; i < 1'000; ++i) row += "<c p7:x=\"1\"><v>1</v></c>";
  std::string rows;
  for (int i = 0; i < 50; ++i) rows += "<row>" + row + "</row>";
  const std::string sheet =
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData" + declarations +
      ">" + rows + "<p9:row><c><v>2</v></c></p9:row></sheetData></worksheet>";
  const Loaded loaded = load(make_workbook(sheet));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.row_extent(), 50);
  EXPECT_EQ(loaded.grid.column_extent(), 1'000);
  EXPECT_EQ(loaded.grid.text(49, 999), "1");
}

TEST(FailedLoad, LeavesTheGridAsItWas) {
  CellGrid grid;
  ASSERT_EQ(read_first_worksheet(valid_workbook(), grid), ReadStatus::ok);
  EXPECT_EQ(read_first_worksheet(make_workbook(sheet_xml("<row><c r=\"A0\"><v>1</v></c></row>")), grid),
            ReadStatus::malformed);
  EXPECT_EQ(grid.text(0, 0), "kept");
  EXPECT_EQ(grid.row_extent(), 1);
}

}  // namespace
}  // namespace sheetlib::testing
