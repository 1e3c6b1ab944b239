// What reading a workbook costs against the budget a file of its size gets:
// the inflated bytes and the markup items (start tags, attributes, pieces of
// text) per byte of the file, and the time. Run on workbooks given as
// arguments; without arguments, on hostile ones made here: 3.9 GB of empty
// elements deflated 850 times into 4.6 MB, once with the default limits and,
// with --unbounded, once with the work budgets lifted (as the reader was
// before it had them: minutes); and 140 MB of them deflated 30 times, which
// the markup budget stops.
//
//   bench_read_cost [--unbounded] [WORKBOOK ...]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sheetlib/api/worksheet_reading.h"
#include "test_package.h"

namespace {

using sheetlib::ReadCost;
using sheetlib::ReadLimits;
using sheetlib::ReadStatus;

// A workbook whose one-cell worksheet goes on with `mebibytes` copies of a
// 1 MiB block of empty elements.
std::string workbook_of_elements(const std::string& block, std::uint32_t mebibytes) {
  const std::string sheet = sheetlib::testing::sheet_xml("<row r=\"1\"><c r=\"A1\"><v>7</v></c></row><row r=\"2\">");
  const std::size_t cut = sheet.find("</sheetData>");
  std::vector<sheetlib::testing::RawEntry> entries = sheetlib::testing::workbook_entries_without_sheet();
  entries.push_back(sheetlib::testing::repeated_entry("xl/worksheets/sheet1.xml", sheet.substr(0, cut), block,
                                                      mebibytes, "</row>" + sheet.substr(cut)));
  return sheetlib::testing::make_raw_zip(entries);
}

// <a/> over and over, deflating 850 times.
std::string repetitive_block() {
  std::string unit;
  while (unit.size() < 8192 - 8) unit += "<a/>";
  unit += "<b></b> ";
  std::string block;
  while (block.size() < (1u << 20)) block += unit;
  return block;
}

// Empty elements with a random name now and then, deflating about 30 times:
// the most tags a file of a few MB can hold within the budget of inflated
// bytes, so that the markup budget is what stops it.
std::string varied_block() {
  std::string block;
  std::uint32_t random = 12345;
  while (block.size() < (1u << 20) - 160) {
    for (int i = 0; i < 30; ++i) block += "<a/>";
    block += "<";
    for (int i = 0; i < 4; ++i) {
      random = random * 1103515245 + 12345;
      block += static_cast<char>('a' + (random >> 16) % 26);
    }
    block += "/>";
  }
  block.resize(1u << 20, ' ');
  return block;
}

const char* status_name(ReadStatus status) {
  switch (status) {
    case ReadStatus::ok: return "ok";
    case ReadStatus::not_a_zip: return "not a zip";
    case ReadStatus::not_a_workbook: return "not a workbook";
    case ReadStatus::malformed: return "malformed";
    case ReadStatus::over_limit: return "over a limit";
    case ReadStatus::out_of_memory: return "out of memory";
    case ReadStatus::encrypted: return "encrypted";
    case ReadStatus::unsupported_version: return "unsupported version";
    case ReadStatus::no_such_sheet: return "no such sheet";
  }
  return "?";
}

std::uint64_t budget(std::uint64_t size, std::uint64_t floor, std::uint64_t per_byte) {
  return std::max(floor, size * per_byte);
}

void measure(const std::string& label, const std::string& bytes, const ReadLimits& limits) {
  sheetlib::CellGrid grid;
  ReadCost cost;
  const auto start = std::chrono::steady_clock::now();
  const ReadStatus status = sheetlib::read_first_worksheet(bytes, grid, limits, &cost);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double size = static_cast<double>(bytes.size());
  std::printf("%s\n  %.1f MB file, %s in %.2f s, %d x %d cells\n", label.c_str(), size / 1e6, status_name(status),
              seconds, grid.row_extent(), grid.column_extent());
  std::printf("  inflated %.1f MB = %.1f per file byte (budget %.1f MB)\n", cost.inflated_bytes / 1e6,
              cost.inflated_bytes / size,
              std::min(limits.max_total_inflated_bytes,
                       budget(bytes.size(), limits.min_inflated_bytes, limits.inflated_bytes_per_file_byte)) /
                  1e6);
  std::printf("  markup items %.1f M = %.2f per file byte (budget %.1f M)\n", cost.markup_items / 1e6,
              cost.markup_items / size,
              budget(bytes.size(), limits.min_markup_items, limits.markup_items_per_file_byte) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  bool unbounded = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--unbounded") == 0) {
      unbounded = true;
    } else {
      files.emplace_back(argv[i]);
    }
  }
  if (files.empty()) {
    measure("hostile within the inflated budget: 140 MB of varied empty elements",
            workbook_of_elements(varied_block(), 140), ReadLimits{});
    const std::string bytes = workbook_of_elements(repetitive_block(), 3719);
    measure("hostile: 3.9 GB of empty elements", bytes, ReadLimits{});
    if (unbounded) {
      ReadLimits lifted;
      lifted.min_inflated_bytes = lifted.max_total_inflated_bytes;
      lifted.min_markup_items = UINT64_MAX;
      measure("hostile, work budgets lifted", bytes, lifted);
    }
  }
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    measure(file, bytes.str(), ReadLimits{});
  }
  return 0;
}
