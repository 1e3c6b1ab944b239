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

// A sheet over 4 MiB is cut into pieces of about 1 MiB at row start tags
// and read on two threads. Whatever the markup around the cuts, the cells
// are those of the sheet read whole, in place.
std::string prefixed_rows(int first, int last, const std::string& between = "", bool numbered = true) {
  // Appended piece by piece: MinGW's GCC 12 warns falsely about chains of +.
  std::string xml;
  for (int r = first; r <= last; ++r) {
    const std::string number = std::to_string(r);
    xml.append(numbered ? "<x:row r=\"" : "<x:row");
    if (numbered) xml.append(number).append("\"");
    xml.append("><x:c r=\"A").append(number).append("\" t=\"inlineStr\"><x:is><x:t>a").append(number);
    xml.append("</x:t></x:is></x:c><x:c r=\"B").append(number).append("\"><x:v>").append(std::to_string(r * 3));
    xml.append("</x:v></x:c></x:row>");
    if (r % 9000 == 0) xml.append(between);
  }
  return xml;
}

std::string prefixed_sheet(const std::string& rows) {
  std::string sheet =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><x:sheetData>";
  sheet.append(rows).append("</x:sheetData></x:worksheet>");
  return sheet;
}

void expect_rows(const CellGrid& grid, int first, int last) {
  for (int r = first; r <= last; ++r) {
    ASSERT_EQ(grid.text(r - 1, 0), std::string("a").append(std::to_string(r))) << "row " << r;
    ASSERT_EQ(grid.text(r - 1, 1), std::to_string(r * 3)) << "row " << r;
  }
}

TEST(LargeParts, PiecesReadAsTheWholeWhateverLiesAtTheCuts) {
  // Comments, CDATA and instructions that hold row tags, all through the
  // sheet and so beside some of the cuts: none of them is a row.
  const std::string traps =
      "<!-- <x:row r=\"3\"><x:c r=\"A3\" t=\"inlineStr\"><x:is><x:t>not a row</x:t></x:is></x:c></x:row> -->"
      "<?pi <x:row r=\"4\"> ?>"
      "<x:row r=\"999999\"><x:c r=\"C999999\" t=\"inlineStr\"><x:is><x:t><![CDATA[<x:row r=\"5\">]]></x:t>"
      "</x:is></x:c></x:row>";
  // Rows out of order across pieces: row 7 again at the end overwrites its
  // first cell, as a cell given twice does.
  std::string rows = prefixed_rows(1, 80000, traps);
  rows.append("<x:row r=\"7\"><x:c r=\"A7\" t=\"inlineStr\"><x:is><x:t>later</x:t></x:is></x:c></x:row>");
  const std::string sheet = prefixed_sheet(rows);
  ASSERT_GT(sheet.size(), 8u << 20);
  const Loaded loaded = load(make_workbook(sheet));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_GE(loaded.cost.sheet_pieces, 8u);
  EXPECT_EQ(loaded.grid.row_extent(), 999999);
  EXPECT_EQ(loaded.grid.column_extent(), 3);
  EXPECT_EQ(loaded.grid.text(6, 0), "later");
  EXPECT_EQ(loaded.grid.text(6, 1), "21");
  expect_rows(loaded.grid, 1, 6);
  expect_rows(loaded.grid, 8, 80000);
  EXPECT_EQ(loaded.grid.text(999998, 2), "<x:row r=\"5\">");
  EXPECT_FALSE(loaded.grid.has_value(80000, 0));
}

// Rows that do not say which they are follow the row before, which another
// parser may have read: such a sheet is read whole, and right.
TEST(LargeParts, RowsWithoutNumbersAreReadWhole) {
  const Loaded loaded = load(make_workbook(prefixed_sheet(prefixed_rows(1, 70000, "", false))));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.cost.sheet_pieces, 0u);
  EXPECT_EQ(loaded.grid.row_extent(), 70000);
  expect_rows(loaded.grid, 1, 70000);
}

// A row longer than two pieces is read as its bytes come, with no cut in it.
TEST(LargeParts, RowLongerThanTwoPiecesIsReadAsItComes) {
  std::string rows = prefixed_rows(1, 1);
  rows.append("<x:row r=\"2\">");
  for (int column = 0; column < 12000; ++column) {
    rows.append("<x:c t=\"inlineStr\"><x:is><x:t>").append(300, static_cast<char>('a' + column % 26));
    rows.append("</x:t></x:is></x:c>");
  }
  rows.append("</x:row>").append(prefixed_rows(3, 60000));
  const std::string sheet = prefixed_sheet(rows);
  const Loaded loaded = load(make_workbook(sheet));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_GE(loaded.cost.sheet_pieces, 3u);
  EXPECT_EQ(loaded.grid.column_extent(), 12000);
  EXPECT_EQ(loaded.grid.text(1, 11999), std::string(300, static_cast<char>('a' + 11999 % 26)));
  expect_rows(loaded.grid, 1, 1);
  expect_rows(loaded.grid, 3, 60000);
}

}  // namespace
}  // namespace sheetlib::testing
