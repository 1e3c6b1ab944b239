// Parts of several megabytes are inflated on a second thread while they are
// parsed, and a large shared-strings part is parsed on a thread of its own
// beside the worksheet: the result must be the same as for small parts, and
// a failure on any side must end the read cleanly (no hang, no crash).
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

// Shared strings well beyond the size read beside the worksheet (1 MiB),
// in an order unlike the cells', so that a cell given another's string shows.
std::string many_strings(int count) {
  std::string items;
  for (int i = 0; i < count; ++i) items += "<si><t>string " + std::to_string(i) + " 北京</t></si>";
  return shared_strings_xml(items);
}

std::string rows_of_string_cells(int rows, int strings, const std::string& last_index = "") {
  std::string xml;
  for (int r = 1; r <= rows; ++r) {
    xml += "<row r=\"" + std::to_string(r) + "\"><c t=\"inlineStr\"><is><t>row " + std::to_string(r) + "</t></is></c>";
    for (int c = 0; c < 3; ++c) {
      const std::string index =
          r == rows && c == 2 && !last_index.empty() ? last_index : std::to_string((r * 7919 + c * 104729) % strings);
      xml += "<c t=\"s\"><v>" + index + "</v></c>";
    }
    xml += "<c><v>" + std::to_string(r) + "</v></c></row>";
  }
  return sheet_xml(xml);
}

TEST(LargeParts, SharedStringsReadBesideTheSheetLandInTheirCells) {
  const int strings = 60000, rows = 20000;
  const Loaded loaded = load(make_workbook(rows_of_string_cells(rows, strings), many_strings(strings)));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  ASSERT_EQ(loaded.grid.row_extent(), rows);
  for (int r = 1; r <= rows; r += 997) {
    EXPECT_EQ(loaded.grid.text(r - 1, 0), "row " + std::to_string(r));
    for (int c = 0; c < 3; ++c) {
      const std::string expected = "string " + std::to_string((r * 7919 + c * 104729) % strings) + " \xB1\xB1\xBE\xA9";
      EXPECT_EQ(loaded.grid.text(r - 1, c + 1), expected) << r << "," << c;
    }
    EXPECT_EQ(loaded.grid.text(r - 1, 4), std::to_string(r));
  }
}

TEST(LargeParts, StringIndexPastTheEndFailsBesideALargeStringsPart) {
  const int strings = 60000;
  EXPECT_EQ(load(make_workbook(rows_of_string_cells(100, strings, std::to_string(strings)), many_strings(strings))).status,
            ReadStatus::malformed);
  EXPECT_EQ(load(make_workbook(rows_of_string_cells(100, strings, "x"), many_strings(strings))).status,
            ReadStatus::malformed);
  // The last index there is is fine.
  EXPECT_EQ(load(make_workbook(rows_of_string_cells(100, strings, std::to_string(strings - 1)), many_strings(strings)))
                .status,
            ReadStatus::ok);
}

TEST(LargeParts, BrokenLargeStringsPartFailsWhileTheSheetIsRead) {
  std::string strings = many_strings(60000);
  strings.insert(strings.size() / 2, "<broken");
  EXPECT_EQ(load(make_workbook(rows_of_string_cells(20000, 10), strings)).status, ReadStatus::malformed);
  // Over the markup budget on the strings' thread.
  ReadLimits limits;
  limits.min_markup_items = 100'000;
  limits.markup_items_per_file_byte = 0;
  EXPECT_EQ(load(make_workbook(rows_of_string_cells(100, 10), many_strings(60000)), limits).status,
            ReadStatus::over_limit);
}

}  // namespace
}  // namespace sheetlib::testing
