// Workbook packages assembled by the tests from hand-written parts.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sheetlib/api/worksheet_reading.h"

namespace sheetlib::testing {

struct Part {
  std::string name;
  std::string data;
};

// A zip archive of the parts (deflated, with libzip), in memory.
std::string make_zip(const std::vector<Part>& parts);

// The parts of a one-sheet workbook laid out as Excel does; empty texts
// leave the shared strings or styles out.
std::vector<Part> workbook_parts(const std::string& sheet_data, const std::string& shared_strings = "",
                                 const std::string& styles = "", const std::string& workbook_extra = "");
std::string make_workbook(const std::string& sheet_data, const std::string& shared_strings = "",
                          const std::string& styles = "", const std::string& workbook_extra = "");

// A worksheet part around the rows (<row> elements) given.
std::string sheet_xml(const std::string& rows, const std::string& before_sheet_data = "");
// A shared strings part with the items (<si> elements) given.
std::string shared_strings_xml(const std::string& items);

// A zip archive of one entry whose data and header values the test chooses:
// the raw (already deflated, method 8, or stored, method 0) data, and the
// sizes and checksum the headers claim.
struct RawEntry {
  std::string name;
  std::string data;
  std::uint16_t method = 8;
  std::uint32_t crc = 0;
  std::uint32_t compressed_size = 0;
  std::uint32_t uncompressed_size = 0;
};
std::string make_raw_zip(const std::vector<RawEntry>& entries);

std::uint32_t crc_of(const std::string& data);
// A stored (method 0) entry with honest headers.
RawEntry stored(const std::string& name, const std::string& data);
// The parts of a workbook as stored entries, the worksheet left to the test.
std::vector<RawEntry> workbook_entries_without_sheet();
// A raw deflate stream of `mebibytes` MiB of zeros, made without deflating
// them all: a few MB for gigabytes.
std::string deflated_zeros(std::uint32_t mebibytes);
// A deflated entry with honest headers holding `head`, `mebibytes` copies of
// `block` (1 MiB) and `tail`, made the same way.
RawEntry repeated_entry(const std::string& name, const std::string& head, const std::string& block,
                        std::uint32_t mebibytes, const std::string& tail);

// The grid's texts, converted to UTF-8, row by row up to the extents.
std::vector<std::vector<std::string>> grid_rows(const CellGrid& grid);

struct Loaded {
  ReadStatus status;
  CellGrid grid;
  ReadCost cost;
};
Loaded load(const std::string& bytes, const ReadLimits& limits = {});

}  // namespace sheetlib::testing
