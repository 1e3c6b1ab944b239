// Parts of several megabytes are inflated on a second thread while they are
// parsed: the result must be the same as for small parts, and a failure on
// either side must end the read cleanly (no hang, no crash).
#include <gtest/gtest.h>

#include <string>

#include "test_package.h"

namespace sheetlib::testing {
namespace {

// A sheet of inline strings well beyond the size read ahead (4 MiB).
std::string large_rows(int rows) {
  std::string xml;
  for (int r = 1; r <= rows; ++r) {
    xml += "<row r=\"" + std::to_string(r) + "\">";
    for (char column = 'A'; column <= 'E'; ++column) {
      xml += "<c r=\"";
      xml += column;
      xml += std::to_string(r) + "\" t=\"inlineStr\"><is><t>cell " + std::string(1, column) + std::to_string(r) +
             "</t></is></c>";
    }
    xml += "</row>";
  }
  return xml;
}

TEST(LargeParts, ReadAheadGivesEveryCellInOrder) {
  const int rows = 60000;
  const Loaded loaded = load(make_workbook(sheet_xml(large_rows(rows))));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.row_extent(), rows);
  EXPECT_EQ(loaded.grid.column_extent(), 5);
  EXPECT_EQ(loaded.grid.text(0, 0), "cell A1");
  EXPECT_EQ(loaded.grid.text(31337, 2), "cell C31338");
  EXPECT_EQ(loaded.grid.text(rows - 1, 4), "cell E" + std::to_string(rows));
}

TEST(LargeParts, ParseErrorDeepInALargePartFailsCleanly) {
  std::string sheet = sheet_xml(large_rows(60000));
  sheet.insert(sheet.size() / 2, "<broken");
  const Loaded loaded = load(make_workbook(sheet));
  EXPECT_EQ(loaded.status, ReadStatus::malformed);
}

TEST(LargeParts, InflateErrorDeepInALargePartFailsCleanly) {
  // A stored (uncompressed) worksheet whose header claims fewer bytes than it
  // holds: the inflating side finds the lie while the parser is busy.
  std::vector<Part> parts = workbook_parts(sheet_xml(large_rows(60000)));
  std::vector<RawEntry> entries;
  for (const Part& part : parts) {
    RawEntry entry{part.name, part.data, 0, 0, static_cast<std::uint32_t>(part.data.size()),
                   static_cast<std::uint32_t>(part.data.size())};
    if (part.name.find("worksheets/") != std::string::npos) entry.uncompressed_size = 5u << 20;
    entries.push_back(entry);
  }
  const Loaded loaded = load(make_raw_zip(entries));
  EXPECT_NE(loaded.status, ReadStatus::ok);
}

}  // namespace
}  // namespace sheetlib::testing
