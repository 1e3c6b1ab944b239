// Parts of several megabytes are inflated on a second thread while they are
// parsed, and a large shared-strings part is parsed on a thread of its own
// beside the worksheet: the result must be the same as for small parts, and
// a failure on any side must end the read cleanly (no hang, no crash).
#include <gtest/gtest.h>

#include <string>

#include "test_package.h"
#include "text/encoding.h"

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

// With `styled`, the second string column has style 1.
std::string rows_of_string_cells(int rows, int strings, const std::string& last_index = "", bool styled = false) {
  std::string xml;
  for (int r = 1; r <= rows; ++r) {
    xml += "<row r=\"" + std::to_string(r) + "\"><c t=\"inlineStr\"><is><t>row " + std::to_string(r) + "</t></is></c>";
    for (int c = 0; c < 3; ++c) {
      const std::string index =
          r == rows && c == 2 && !last_index.empty() ? last_index : std::to_string((r * 7919 + c * 104729) % strings);
      xml += std::string(styled && c == 1 ? "<c s=\"1\" t=\"s\"><v>" : "<c t=\"s\"><v>") + index + "</v></c>";
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

// Under a format with a section for texts ("编号："@) a shared string shows
// through it, read beside the sheet as it is and the sheet in pieces; the
// same strings under General show as they are.
TEST(LargeParts, SharedStringsShowThroughTheSectionForTextsOfTheirFormat) {
  const std::string styles =
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><numFmts>"
      "<numFmt numFmtId=\"164\" formatCode=\"&quot;编号：&quot;@\"/></numFmts>"
      "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/></cellXfs></styleSheet>";
  const int strings = 60000, rows = 50000;
  const Loaded loaded = load(make_workbook(rows_of_string_cells(rows, strings, "", true), many_strings(strings), styles));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_GE(loaded.cost.sheet_pieces, 4u);
  for (int r = 1; r <= rows; r += 997) {
    for (int c = 0; c < 3; ++c) {
      const std::string text = "string " + std::to_string((r * 7919 + c * 104729) % strings) + " 北京";
      EXPECT_EQ(loaded.grid.text(r - 1, c + 1), colsplit::utf8_to_gbk(c == 1 ? "编号：" + text : text)) << r << "," << c;
    }
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

// A sheet over 4 MiB is cut into pieces of about 256 KiB at row start tags
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
  // Between rows, all through the sheet and so beside some of the cuts: a
  // far row and, in the second case, comments, CDATA and instructions that
  // hold row tags, none of which is a row. The scanners of the pieces
  // decline those: that sheet is read whole, by expat.
  const std::string far_row =
      "<x:row r=\"999999\"><x:c r=\"C999999\" t=\"inlineStr\"><x:is><x:t>&lt;x:row r=\"5\"&gt;</x:t>"
      "</x:is></x:c></x:row>";
  const std::string traps =
      "<!-- <x:row r=\"3\"><x:c r=\"A3\" t=\"inlineStr\"><x:is><x:t>not a row</x:t></x:is></x:c></x:row> -->"
      "<?pi <x:row r=\"4\"> ?>"
      "<x:row r=\"999999\"><x:c r=\"C999999\" t=\"inlineStr\"><x:is><x:t><![CDATA[<x:row r=\"5\">]]></x:t>"
      "</x:is></x:c></x:row>";
  for (const bool with_traps : {false, true}) {
    SCOPED_TRACE(with_traps ? "comments, CDATA, instructions" : "rows only");
    // Rows out of order across pieces: row 7 again at the end overwrites its
    // first cell, as a cell given twice does.
    std::string rows = prefixed_rows(1, 80000, with_traps ? traps : far_row);
    rows.append("<x:row r=\"7\"><x:c r=\"A7\" t=\"inlineStr\"><x:is><x:t>later</x:t></x:is></x:c></x:row>");
    const std::string sheet = prefixed_sheet(rows);
    ASSERT_GT(sheet.size(), 8u << 20);
    const Loaded loaded = load(make_workbook(sheet));
    ASSERT_EQ(loaded.status, ReadStatus::ok);
    if (with_traps) EXPECT_EQ(loaded.cost.sheet_pieces, 0u);
    else EXPECT_GE(loaded.cost.sheet_pieces, 8u);
    EXPECT_EQ(loaded.grid.row_extent(), 999999);
    EXPECT_EQ(loaded.grid.column_extent(), 3);
    EXPECT_EQ(loaded.grid.text(6, 0), "later");
    EXPECT_EQ(loaded.grid.text(6, 1), "21");
    expect_rows(loaded.grid, 1, 6);
    expect_rows(loaded.grid, 8, 80000);
    EXPECT_EQ(loaded.grid.text(999998, 2), "<x:row r=\"5\">");
    EXPECT_FALSE(loaded.grid.has_value(80000, 0));
  }
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

// Typed values, the widths before the rows and the merged ranges after
// them come out the same whether the sheet is read in pieces (numbered
// rows) or whole.
TEST(LargeParts, ValuesAndLayoutAreTheSameReadInPiecesOrWhole) {
  const std::string styles =
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<numFmts><numFmt numFmtId=\"164\" formatCode=\"0.00\"/></numFmts>"
      "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/></cellXfs></styleSheet>";
  const int rows = 50'000;
  for (const bool numbered : {true, false}) {
    SCOPED_TRACE(numbered ? "in pieces" : "whole");
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<cols><col min=\"1\" max=\"2\" width=\"20.5\" customWidth=\"1\"/><col min=\"4\" max=\"4\" width=\"3\"/></cols>"
        "<sheetData>";
    for (int r = 1; r <= rows; ++r) {
      const std::string n = std::to_string(r);
      xml.append(numbered ? "<row r=\"" + n + "\">" : "<row>");
      xml.append("<c t=\"inlineStr\"><is><t>t").append(n).append("</t></is></c>");
      xml.append("<c s=\"2\"><v>").append(n).append(".5</v></c>");
      xml.append("<c t=\"b\" s=\"9\"><v>").append(r % 2 ? "1" : "0").append("</v></c>");
      xml.append("<c t=\"e\" s=\"1\"><v>#N/A</v></c>");
      xml.append("<c t=\"d\" s=\"1\"><v>2024-03-01</v></c></row>");
    }
    xml.append("</sheetData><mergeCells count=\"2\"><mergeCell ref=\"A1:B1\"/><mergeCell ref=\"C");
    xml.append(std::to_string(rows)).append(":C").append(std::to_string(rows - 2)).append("\"/></mergeCells>");
    xml.append("</worksheet>");
    ASSERT_GT(xml.size(), 4u << 20);
    const Loaded loaded = load(make_workbook(xml, "", styles));
    ASSERT_EQ(loaded.status, ReadStatus::ok);
    if (numbered) EXPECT_GE(loaded.cost.sheet_pieces, 4u);
    else EXPECT_EQ(loaded.cost.sheet_pieces, 0u);
    EXPECT_EQ(loaded.grid.column_widths(), (std::vector<ColumnWidth>{{0, 1, 20.5}, {3, 3, 3}}));
    const auto last = static_cast<std::uint32_t>(rows - 1);
    EXPECT_EQ(loaded.grid.merged_ranges(), (std::vector<MergedRange>{{0, 0, 0, 1}, {last - 2, last, 2, 2}}));
    ASSERT_EQ(loaded.grid.style_formats().size(), 4u);
    for (int r = 1; r <= rows; r += r < 50 ? 1 : 997) {
      SCOPED_TRACE(r);
      const int row = r - 1;
      EXPECT_EQ(loaded.grid.value(row, 0).kind, CellKind::text);
      EXPECT_EQ(loaded.grid.text(row, 1), std::to_string(r) + ".50");
      const CellValue number = loaded.grid.value(row, 1);
      EXPECT_EQ(number.kind, CellKind::number);
      EXPECT_EQ(number.number, r + 0.5);
      EXPECT_EQ(number.style, 2u);
      const CellValue boolean = loaded.grid.value(row, 2);
      EXPECT_EQ(boolean.kind, CellKind::boolean);
      EXPECT_EQ(boolean.number, r % 2);
      EXPECT_EQ(boolean.style, 3u);  // past the styles: the General entry after them
      EXPECT_EQ(loaded.grid.value(row, 3).kind, CellKind::error);
      EXPECT_EQ(loaded.grid.text(row, 3), "#N/A");
      EXPECT_EQ(loaded.grid.value(row, 4).number, 45352);
      EXPECT_EQ(loaded.grid.value(row, 4).style, 1u);
    }
  }
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
