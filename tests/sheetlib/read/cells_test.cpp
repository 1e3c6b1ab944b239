// What each cell of a worksheet shows, and where it lands.
#include <cmath>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sheetlib/format/number_format.h"
#include "sheetlib/core/cell_storage.h"
#include "sheetlib/read/ooxml_text.h"
#include "sheetlib/read/shared_strings_part.h"
#include "sheetlib/read/workbook_reader.h"
#include "sheetlib/read/worksheet_part.h"
#include "sheetlib/read/xml_stream.h"
#include "support/gbk_literal.h"
#include "test_package.h"

namespace sheetlib::testing {
namespace {

using ::testing::ElementsAre;
using Rows = std::vector<std::vector<std::string>>;

Loaded load_sheet(const std::string& rows, const std::string& shared = "", const std::string& styles = "",
                  const std::string& workbook_extra = "") {
  return load(make_workbook(sheet_xml(rows), shared.empty() ? "" : shared_strings_xml(shared), styles,
                            workbook_extra));
}

Rows rows_of(const std::string& rows, const std::string& shared = "", const std::string& styles = "") {
  Loaded loaded = load_sheet(rows, shared, styles);
  EXPECT_EQ(loaded.status, ReadStatus::ok);
  return grid_rows(loaded.grid);
}

TEST(CellPlacement, RowsAndCellsWithoutReferencesFollowThePreviousOne) {
  EXPECT_EQ(rows_of("<row><c><v>1</v></c><c><v>2</v></c></row>"
                    "<row r=\"3\"><c r=\"B3\"><v>3</v></c><c><v>4</v></c></row>"
                    "<row><c><v>5</v></c></row>"),
            (Rows{{"1", "2", ""}, {"", "", ""}, {"", "3", "4"}, {"5", "", ""}}));
}

TEST(CellPlacement, CellsOutOfOrderAreSortedAndTheLaterOfTwinsWins) {
  EXPECT_EQ(rows_of("<row r=\"2\"><c r=\"C2\"><v>c2</v></c><c r=\"A2\" t=\"str\"><v>a2</v></c></row>"
                    "<row r=\"1\"><c r=\"B1\" t=\"str\"><v>first</v></c></row>"
                    "<row r=\"1\"><c r=\"B1\" t=\"str\"><v>second</v></c></row>"),
            (Rows{{"", "second", ""}, {"a2", "", "c2"}}));
}

TEST(CellPlacement, ACellOutOfOrderAfterManyInOrderKeepsEveryRowInPlace) {
  // Rows 1, 3 and 4 in order (row 2 empty), then cells of rows 2 and 3 again.
  EXPECT_EQ(rows_of("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>2</v></c></row>"
                    "<row r=\"3\"><c r=\"B3\"><v>3</v></c></row>"
                    "<row r=\"4\"><c r=\"A4\"><v>4</v></c><c r=\"C4\"><v>5</v></c></row>"
                    "<row r=\"2\"><c r=\"C2\"><v>6</v></c></row>"
                    "<row r=\"3\"><c r=\"B3\"><v>7</v></c><c r=\"A3\"><v>8</v></c></row>"),
            (Rows{{"1", "2", ""}, {"", "", "6"}, {"8", "7", ""}, {"4", "", "5"}}));
}

TEST(CellPlacement, ExtentsCountOnlyCellsWithValuesAndIgnoreTheDimension) {
  const std::string before = "<dimension ref=\"A1:XFD1048576\"/>";
  Loaded loaded = load(make_workbook(sheet_xml("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\" t=\"str\"><v>b</v>"
                                               "</c><c r=\"Z1\" s=\"1\"/></row>"
                                               "<row r=\"2\"><c r=\"C2\" t=\"b\"><v>1</v></c></row>"
                                               "<row r=\"900\" s=\"3\" customFormat=\"1\"><c r=\"AA900\" s=\"2\"/>"
                                               "<c r=\"AB900\" t=\"s\"/><c r=\"AC900\"><f>1+1</f></c></row>",
                                               before)));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.row_extent(), 2);
  EXPECT_EQ(loaded.grid.column_extent(), 3);
  EXPECT_TRUE(loaded.grid.has_value(1, 2));
  EXPECT_FALSE(loaded.grid.has_value(0, 25));
  EXPECT_EQ(loaded.grid.text(1, 2), "TRUE");
  // Outside the grid, including negative and huge indexes: nothing.
  EXPECT_EQ(loaded.grid.text(-1, 0), "");
  EXPECT_EQ(loaded.grid.text(0, -1), "");
  EXPECT_EQ(loaded.grid.text(2147483647, 2147483647), "");
  EXPECT_FALSE(loaded.grid.has_value(5, 0));
}

TEST(CellPlacement, LastCellOfTheSheetIsAcceptedAndNothingBeyond) {
  Loaded loaded = load_sheet("<row r=\"1048576\"><c r=\"XFD1048576\" t=\"str\"><v>corner</v></c></row>");
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.row_extent(), 1048576);
  EXPECT_EQ(loaded.grid.column_extent(), 16384);
  EXPECT_EQ(loaded.grid.text(1048575, 16383), "corner");

  for (const char* rows : {
           "<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>",
           "<row r=\"1\"><c r=\"A1048577\"><v>1</v></c></row>",
           "<row r=\"1\"><c r=\"A0\"><v>1</v></c></row>",
           "<row r=\"1\"><c r=\"A-5\"><v>1</v></c></row>",
           "<row r=\"1\"><c r=\"A99999999999999999999\"><v>1</v></c></row>",
           "<row r=\"1\"><c r=\"ZZZZZZ1\"><v>1</v></c></row>",
           "<row r=\"1\"><c r=\"1A\"><v>1</v></c></row>",
           "<row r=\"1\"><c r=\"A1x\"><v>1</v></c></row>",
           "<row r=\"1\"><c r=\"\"><v>1</v></c></row>",
           "<row r=\"-1\"><c><v>1</v></c></row>",
           "<row r=\"4294967297\"><c><v>1</v></c></row>",
           "<row r=\"1048577\"><c><v>1</v></c></row>",
           "<row r=\"1048576\"/><row><c><v>1</v></c></row>",
           "<row r=\"1\"><c r=\"XFD1\"/><c><v>1</v></c></row>",
       }) {
    EXPECT_EQ(load_sheet(rows).status, ReadStatus::malformed) << rows;
  }
}

TEST(CellTypes, EveryTypeShowsItsText) {
  const std::string shared = "<si><t>shared</t></si><si><t/></si>";
  EXPECT_EQ(rows_of("<row>"
                    "<c t=\"s\"><v>0</v></c>"
                    "<c t=\"s\"><v>1</v></c>"
                    "<c t=\"s\"><v> 1</v></c>"
                    "<c t=\"inlineStr\"><is><t>inline</t></is></c>"
                    "<c t=\"str\"><f>A1</f><v>formula text</v></c>"
                    "<c t=\"b\"><v>0</v></c>"
                    "<c t=\"b\"><v>1</v></c>"
                    "<c t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>"
                    "<c t=\"e\"><v>#N/A</v></c>"
                    "<c t=\"n\"><v>42</v></c>"
                    "<c><v>-7</v></c>"
                    "<c><v>1.5E3</v></c>"
                    "<c><v>not a number</v></c>"
                    "</row>",
                    shared),
            (Rows{{"shared", "", "", "inline", "formula text", "FALSE", "TRUE", "#DIV/0!", "#N/A", "42", "-7", "1500",
                   "not a number"}}));
}

// A cell record keeps a text's length in 18 bits; longer texts (which Excel
// does not write, but a file may hold) lie behind their length in the arena.
// Every length around that bound comes back whole, as an inline string and
// as a shared one, beside short texts and in the last column.
TEST(CellTypes, TextsOfEveryLengthComeBackWhole) {
  const std::uint32_t bound = CellRecord::kLongText;
  std::vector<std::string> texts;
  for (const std::uint32_t length : {bound - 1, bound, bound + 1, 1'000'000u}) {
    std::string text(length, 'a');
    text.front() = 'x';
    text.back() = static_cast<char>('0' + length % 10);
    texts.push_back(text);
  }
  std::string rows, shared;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string r = std::to_string(i + 1);
    rows.append("<row r=\"").append(r).append("\"><c r=\"A").append(r).append("\" t=\"inlineStr\"><is><t>");
    rows.append(texts[i]).append("</t></is></c><c t=\"str\"><v>short</v></c><c r=\"XFD").append(r);
    rows.append("\" t=\"s\"><v>").append(std::to_string(i)).append("</v></c></row>");
    shared.append("<si><t>").append(texts[i]).append("</t></si>");
  }
  Loaded loaded = load_sheet(rows, shared);
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const int row = static_cast<int>(i);
    EXPECT_EQ(loaded.grid.text(row, 0), texts[i]) << texts[i].size();
    EXPECT_EQ(loaded.grid.text(row, 1), "short");
    EXPECT_EQ(loaded.grid.text(row, 16383), texts[i]) << texts[i].size();
  }
}

TEST(CellTypes, EmptySharedStringIsAValueWithEmptyText) {
  Loaded loaded = load_sheet("<row><c t=\"s\"><v>1</v></c><c t=\"s\"><v> 1 </v></c></row>",
                             "<si><t>a</t></si><si><t></t></si>");
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.column_extent(), 2);
  for (int column = 0; column < 2; ++column) {
    EXPECT_TRUE(loaded.grid.has_value(0, column));
    EXPECT_EQ(loaded.grid.text(0, column), "");
  }
}

// Some writers give an empty text cell an empty <v/>; LibreOffice and Excel
// show an empty cell, and so does the reader, with or without a shared
// strings part.
TEST(CellTypes, SharedStringCellWithoutAnIndexIsAnEmptyCell) {
  for (const std::string& shared : {std::string("<si><t>a</t></si>"), std::string()}) {
    Loaded loaded = load_sheet("<row><c t=\"s\"><v/></c><c t=\"s\"><v></v></c><c t=\"s\"><v> </v></c>"
                               "<c t=\"s\"/><c t=\"s\"><f>\"\"</f><v/></c><c><v>6</v></c></row>",
                               shared);
    ASSERT_EQ(loaded.status, ReadStatus::ok) << shared;
    EXPECT_EQ(grid_rows(loaded.grid), (Rows{{"", "", "", "", "", "6"}}));
    for (int column = 0; column < 5; ++column) EXPECT_FALSE(loaded.grid.has_value(0, column)) << column;
  }
}

// No writer refers to a string it did not write: such a file lost texts, and
// an empty cell in their place would hide that.
TEST(CellTypes, SharedStringIndexThatPointsNowhereFailsTheLoad) {
  for (const char* index : {"2", "99", "4294967296", "-1", "x", "1x", "0x1"}) {
    const std::string row = std::string("<row><c t=\"s\"><v>0</v></c><c t=\"s\"><v>") + index + "</v></c></row>";
    EXPECT_EQ(load_sheet(row, "<si><t>a</t></si><si><t></t></si>").status, ReadStatus::malformed) << index;
  }
  // Without a shared strings part every index points nowhere.
  EXPECT_EQ(load_sheet("<row><c t=\"s\"><v>0</v></c></row>", "").status, ReadStatus::malformed);
}

TEST(CellTypes, NumbersAndDatesRenderWithTheStyleFormat) {
  const std::string styles =
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy&quot;年&quot;m&quot;月&quot;\"/></numFmts>"
      "<cellStyleXfs><xf numFmtId=\"10\"/></cellStyleXfs>"
      "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/><xf numFmtId=\"10\"/></cellXfs>"
      "</styleSheet>";
  const auto shown = [](double value, std::string_view code, bool date1904) {
    return format_number(value, code, date1904);
  };
  for (const bool date1904 : {false, true}) {
    Loaded loaded = load(make_workbook(
        sheet_xml("<row><c s=\"1\"><v>45000</v></c><c s=\"2\"><v>45000</v></c><c s=\"3\"><v>0.125</v></c>"
                  "<c s=\"99\"><v>0.1</v></c><c s=\"1\" t=\"d\"><v>2024-03-01</v></c><c><v>1E+20</v></c></row>"),
        "", styles, date1904 ? "<workbookPr date1904=\"1\"/>" : ""));
    ASSERT_EQ(loaded.status, ReadStatus::ok);
    const Rows rows = grid_rows(loaded.grid);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], shown(45000, builtin_number_format(14), date1904));
    EXPECT_EQ(rows[0][1], shown(45000, "yyyy\"年\"m\"月\"", date1904));
    EXPECT_EQ(rows[0][2], shown(0.125, builtin_number_format(10), date1904));
    EXPECT_EQ(rows[0][3], shown(0.1, "General", date1904));
    const auto serial = iso_datetime_to_serial("2024-03-01", date1904);
    EXPECT_EQ(rows[0][4], serial ? shown(*serial, builtin_number_format(14), date1904) : "2024-03-01");
    EXPECT_EQ(rows[0][5], shown(1e20, "General", date1904));
  }
}

// Inline, shared and formula texts show through their format's section for
// texts; numbers, and texts under a format without one, do not.
TEST(CellTypes, TextsShowThroughTheSectionForTextsOfTheirFormat) {
  const std::string styles =
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><numFmts>"
      "<numFmt numFmtId=\"164\" formatCode=\"&quot;编号：&quot;@\"/>"
      "<numFmt numFmtId=\"165\" formatCode=\"0;-0;0;\\[@\\]\"/></numFmts>"
      "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"165\"/><xf numFmtId=\"2\"/></cellXfs>"
      "</styleSheet>";
  const std::string bytes = make_workbook(
      sheet_xml("<row><c s=\"1\" t=\"inlineStr\"><is><t>ABC</t></is></c><c s=\"2\" t=\"str\"><v>x_x0041_</v></c>"
                "<c s=\"3\" t=\"inlineStr\"><is><t>ABC</t></is></c><c s=\"1\"><v>5</v></c>"
                "<c s=\"99\" t=\"inlineStr\"><is><t>ABC</t></is></c><c t=\"inlineStr\"><is><t>北京</t></is></c></row>"
                "<row><c s=\"1\" t=\"s\"><v>0</v></c><c s=\"2\" t=\"s\"><v>0</v></c><c t=\"s\"><v>0</v></c>"
                "<c s=\"1\" t=\"s\"><v>0</v></c></row>"),
      shared_strings_xml("<si><t>北京</t></si>"), styles);
  Loaded loaded = load(bytes);
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(grid_rows(loaded.grid),
            (Rows{{"编号：ABC", "[xA]", "ABC", "5", "ABC", "北京"}, {"编号：北京", "[北京]", "北京", "编号：北京", "", ""}}));
  // A load that keeps the look keeps the texts, which carry their format.
  CellGrid grid;
  grid.want_look();
  std::vector<std::string> names;
  ReadCost cost;
  ASSERT_EQ(read_xlsx_worksheet(bytes, 0, grid, names, ReadLimits{}, cost), ReadStatus::ok);
  EXPECT_EQ(grid_rows(grid), (Rows{{"ABC", "xA", "ABC", "5", "ABC", "北京"}, {"北京", "北京", "北京", "北京", "", ""}}));
}

TEST(CellTypes, ChineseNumeralsAndJapaneseErasReachTheGridAsGbk) {
  const std::string styles =
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><numFmts count=\"3\">"
      "<numFmt numFmtId=\"164\" formatCode=\"[DBNum2][$-804]General\"/>"
      "<numFmt numFmtId=\"165\" formatCode=\"[DBNum1][$-804]yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;\"/>"
      "<numFmt numFmtId=\"166\" formatCode=\"[$-411]ggge&quot;年&quot;m&quot;月&quot;d&quot;日&quot;\"/>"
      "</numFmts><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"165\"/><xf numFmtId=\"166\"/>"
      "</cellXfs></styleSheet>";
  Loaded loaded = load(make_workbook(sheet_xml("<row><c s=\"1\"><v>100005</v></c><c s=\"2\"><v>46016</v></c>"
                                               "<c s=\"3\"><v>44197</v></c><c s=\"2\" t=\"d\"><v>2024-01-05</v></c></row>"),
                                     "", styles));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.text(0, 0), colsplit::testing::gbk(u8"壹拾万零伍"));
  EXPECT_EQ(loaded.grid.text(0, 1), colsplit::testing::gbk(u8"二〇二五年十二月二十五日"));
  EXPECT_EQ(loaded.grid.text(0, 2), colsplit::testing::gbk(u8"令和3年1月1日"));
  EXPECT_EQ(loaded.grid.text(0, 3), colsplit::testing::gbk(u8"二〇二四年一月五日"));
}

// Numbers (dates too), booleans and errors keep their value and style
// beside the text they show; every kind of string is text alone.
TEST(CellValues, EveryKindKeepsItsValueAndStyle) {
  const std::string styles =
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<numFmts><numFmt numFmtId=\"164\" formatCode=\"0.000\"/><numFmt numFmtId=\"165\" formatCode=\";;;\"/>"
      "<numFmt numFmtId=\"10\" formatCode=\"0.0%\"/></numFmts>"
      "<cellStyleXfs><xf numFmtId=\"165\"/></cellStyleXfs>"
      "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/><xf numFmtId=\"165\"/>"
      "<xf numFmtId=\"10\"/><xf/></cellXfs></styleSheet>";
  const std::uint32_t general = 6;  // the entry after the file's six styles
  const std::string long_error(CellRecord::kLongText + 10, 'E');
  struct Case {
    std::string cell;
    CellKind kind;
    double number;
    std::uint32_t style;
    std::string shown;
  };
  const Case cases[] = {
      {"<c><v>42</v></c>", CellKind::number, 42, 0, "42"},
      {"<c t=\"n\" s=\"2\"><v> 1.5E3 </v></c>", CellKind::number, 1500, 2, "1500.000"},
      {"<c s=\"1\"><f>A1</f><v>45352</v></c>", CellKind::number, 45352, 1, format_number(45352, builtin_number_format(14), false)},
      {"<c s=\"4\"><v>0.25</v></c>", CellKind::number, 0.25, 4, "25.0%"},
      {"<c s=\"3\"><v>-7</v></c>", CellKind::number, -7, 3, ""},
      {"<c s=\"5\"><v>1E+20</v></c>", CellKind::number, 1e20, 5, format_number(1e20, "General", false)},
      {"<c s=\"6\"><v>0.1</v></c>", CellKind::number, 0.1, general, "0.1"},
      {"<c s=\"1000000\"><v>2</v></c>", CellKind::number, 2, general, "2"},
      {"<c s=\"-1\"><v>3</v></c>", CellKind::number, 3, general, "3"},
      {"<c s=\"x\"><v>4</v></c>", CellKind::number, 4, 0, "4"},
      {"<c t=\"d\" s=\"1\"><v>2024-03-01</v></c>", CellKind::number, 45352, 1, format_number(45352, builtin_number_format(14), false)},
      {"<c t=\"d\" s=\"3\"><v>2024-03-01T12:00:00</v></c>", CellKind::number, 45352.5, 3, ""},
      {"<c t=\"b\" s=\"2\"><v>1</v></c>", CellKind::boolean, 1, 2, "TRUE"},
      {"<c t=\"b\"><v>false</v></c>", CellKind::boolean, 0, 0, "FALSE"},
      {"<c t=\"e\" s=\"4\"><f>1/0</f><v>#DIV/0!</v></c>", CellKind::error, 0, 4, "#DIV/0!"},
      {"<c t=\"e\"><v>" + long_error + "</v></c>", CellKind::error, 0, 0, long_error},
      // What does not parse as its type shows what the file holds, as text.
      {"<c><v>not a number</v></c>", CellKind::text, 0, 0, "not a number"},
      {"<c><v>1e999</v></c>", CellKind::text, 0, 0, "1e999"},
      {"<c t=\"d\"><v>someday</v></c>", CellKind::text, 0, 0, "someday"},
      {"<c t=\"b\"><v>maybe</v></c>", CellKind::text, 0, 0, "maybe"},
      {"<c t=\"s\" s=\"2\"><v>0</v></c>", CellKind::text, 0, 0, "shared"},
      {"<c t=\"inlineStr\"><is><t>12</t></is></c>", CellKind::text, 0, 0, "12"},
      {"<c t=\"str\" s=\"2\"><f>\"1\"&amp;\"2\"</f><v>12</v></c>", CellKind::text, 0, 0, "12"},
      {"<c t=\"x\"><v>12</v></c>", CellKind::text, 0, 0, "12"},
      // No value: no cell.
      {"<c s=\"2\"/>", CellKind::empty, 0, 0, ""},
      {"<c t=\"e\"><f>1/0</f></c>", CellKind::empty, 0, 0, ""},
  };
  std::string row = "<row r=\"1\">";
  for (const Case& c : cases) row += c.cell;
  Loaded loaded = load_sheet(row + "</row>", "<si><t>shared</t></si>", styles);
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.cell.substr(0, 80));
    const CellValue value = loaded.grid.value(0, static_cast<int>(i));
    EXPECT_EQ(value.kind, c.kind);
    EXPECT_EQ(value.number, c.number);
    EXPECT_EQ(value.style, c.style);
    EXPECT_EQ(loaded.grid.text(0, static_cast<int>(i)), c.shown);
  }
  const std::vector<StyleNumberFormat>& formats = loaded.grid.style_formats();
  std::vector<std::pair<int, std::string>> listed;
  for (const StyleNumberFormat& format : formats) listed.emplace_back(format.id, format.code);
  EXPECT_EQ(listed, (std::vector<std::pair<int, std::string>>{
                        {0, ""}, {14, ""}, {164, "0.000"}, {165, ";;;"}, {10, "0.0%"}, {0, ""}, {0, ""}}));
  EXPECT_EQ(loaded.grid.value(1, 0).kind, CellKind::empty);
  EXPECT_EQ(loaded.grid.value(-1, -1).kind, CellKind::empty);

  // Without a styles part, every typed cell refers to the one General entry.
  Loaded plain = load_sheet("<row><c s=\"3\"><v>1</v></c><c t=\"b\"><v>1</v></c></row>");
  ASSERT_EQ(plain.status, ReadStatus::ok);
  ASSERT_EQ(plain.grid.style_formats().size(), 1u);
  EXPECT_EQ(plain.grid.style_formats()[0].id, 0);
  EXPECT_EQ(plain.grid.value(0, 0).style, 0u);
  EXPECT_EQ(plain.grid.value(0, 1).style, 0u);
}

// Every style keeps a copy of its format's code: past Excel's own limits
// (64,000 styles, codes of 255 characters) a file gets no more of them.
TEST(CellValues, StylesAndFormatCodesAreBounded) {
  std::string styles =
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><numFmts>"
      "<numFmt numFmtId=\"164\" formatCode=\"0.0\"/><numFmt numFmtId=\"165\" formatCode=\"";
  styles.append(2000, '0').append("\"/></numFmts><cellXfs>");
  for (int i = 0; i < 70'000; ++i) styles.append(i % 2 ? "<xf numFmtId=\"164\"/>" : "<xf numFmtId=\"165\"/>");
  styles.append("</cellXfs></styleSheet>");
  Loaded loaded = load_sheet("<row><c s=\"1\"><v>2</v></c><c s=\"2\"><v>2</v></c><c s=\"65535\"><v>2</v></c>"
                             "<c s=\"65536\"><v>2</v></c></row>",
                             "", styles);
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(grid_rows(loaded.grid), (Rows{{"2.0", "2", "2.0", "2"}}));
  ASSERT_EQ(loaded.grid.style_formats().size(), 65'537u);
  EXPECT_EQ(loaded.grid.style_formats()[1].code, "0.0");
  EXPECT_EQ(loaded.grid.style_formats()[2].id, 165);
  EXPECT_EQ(loaded.grid.style_formats()[2].code, "");
  EXPECT_EQ(loaded.grid.value(0, 3).style, 65'536u);
}

// Merged ranges after the cells and column widths before them; an item
// that makes no sense is left out alone, and the lists stay bounded.
TEST(SheetLayout, MergedRangesAndColumnWidthsWithTheMalformedLeftOut) {
  struct Merge {
    const char* ref;
    std::vector<MergedRange> kept;
  };
  const Merge merges[] = {
      {"A1:H1", {{0, 0, 0, 7}}},
      {"B3:A2", {{1, 2, 0, 1}}},  // corners the other way round
      {"c5:C10", {{4, 9, 2, 2}}},
      {"A1048576:XFD1", {{0, 1048575, 0, 16383}}},
      {"D4:D4", {}},
      {"D4", {}},
      {"A1:", {}},
      {"A0:B2", {}},
      {"A1:XFE2", {}},
      {"A1:B2:C3", {}},
      {"$A$1:$B$2", {}},
      {"", {}},
  };
  struct Width {
    const char* attributes;
    std::vector<ColumnWidth> kept;
  };
  const Width widths[] = {
      {"min=\"1\" max=\"3\" width=\"12.5\" customWidth=\"1\"", {{0, 2, 12.5}}},
      {"min=\"5\" max=\"5\" width=\" 0 \"", {{4, 4, 0}}},
      {"min=\"16000\" max=\"20000\" width=\"255\"", {{15999, 16383, 255}}},
      {"min=\"0\" max=\"2\" width=\"9.140625\"", {{0, 1, 9.140625}}},
      {"min=\"-5\" max=\"1\" width=\"1e1\"", {{0, 0, 10}}},
      {"min=\"2\" max=\"2\" style=\"3\"", {}},  // a style without a width
      {"min=\"3\" max=\"2\" width=\"8\"", {}},
      {"min=\"16385\" max=\"16390\" width=\"8\"", {}},
      {"min=\"-3\" max=\"0\" width=\"8\"", {}},
      {"min=\"1\" max=\"2\" width=\"255.5\"", {}},
      {"min=\"1\" max=\"2\" width=\"-1\"", {}},
      {"min=\"1\" max=\"2\" width=\"nan\"", {}},
      {"min=\"1\" max=\"2\" width=\"8pt\"", {}},
      {"min=\"1\" max=\"99999999999999999999\" width=\"8\"", {}},
      {"min=\"x\" max=\"2\" width=\"8\"", {}},
      {"max=\"2\" width=\"8\"", {}},
  };
  std::string cols = "<cols>", merged = "<mergeCells>";
  std::vector<ColumnWidth> kept_widths;
  std::vector<MergedRange> kept_merges;
  for (const Width& width : widths) {
    cols.append("<col ").append(width.attributes).append("/>");
    kept_widths.insert(kept_widths.end(), width.kept.begin(), width.kept.end());
  }
  for (const Merge& merge : merges) {
    merged.append("<mergeCell ref=\"").append(merge.ref).append("\"/>");
    kept_merges.insert(kept_merges.end(), merge.kept.begin(), merge.kept.end());
  }
  merged += "<mergeCell/></mergeCells>";
  // Lists in the wrong place and items outside their lists are no layout.
  const std::string strays = "<col min=\"9\" max=\"9\" width=\"1\"/><mergeCell ref=\"A1:B1\"/>"
                             "<mergeCells><col min=\"9\" max=\"9\" width=\"1\"/></mergeCells>"
                             "<cols><mergeCell ref=\"A1:B1\"/></cols>";
  const std::string sheet = sheet_xml("<row r=\"2\"><c r=\"B2\"><v>1</v></c></row>", strays + cols + "</cols>");
  const std::string tail = merged + "<extLst><ext><mergeCells><mergeCell ref=\"A1:C1\"/></mergeCells></ext></extLst>";
  Loaded loaded = load(make_workbook(sheet.substr(0, sheet.size() - 12) + tail + "</worksheet>"));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.text(1, 1), "1");
  EXPECT_EQ(loaded.grid.column_widths(), kept_widths);
  EXPECT_EQ(loaded.grid.merged_ranges(), kept_merges);

  // A hostile sheet's millions of ranges: the first 65,536 are kept.
  std::string many = "<mergeCells>";
  for (int r = 1; r <= 70'000; ++r) many.append("<mergeCell ref=\"A").append(std::to_string(r)).append(":B1\"/>");
  std::string many_cols = "<cols>";
  for (int c = 0; c < 20'000; ++c) many_cols.append("<col min=\"1\" max=\"1\" width=\"1\"/>");
  const std::string hostile = sheet_xml("", many_cols + "</cols>");
  Loaded bounded = load(make_workbook(hostile.substr(0, hostile.size() - 12) + many + "</mergeCells></worksheet>"));
  ASSERT_EQ(bounded.status, ReadStatus::ok);
  ASSERT_EQ(bounded.grid.merged_ranges().size(), 65'536u);
  EXPECT_EQ(bounded.grid.merged_ranges().back(), (MergedRange{0, 65'535, 0, 1}));
  EXPECT_EQ(bounded.grid.column_widths().size(), 16'384u);
}

TEST(StringItems, RichRunsAreJoinedAndPhoneticRunsLeftOut) {
  const std::string shared =
      "<si><r><rPr><b/></rPr><t>Bold</t></r><r><t xml:space=\"preserve\"> and plain</t></r></si>"
      "<si><t>東京</t><rPh sb=\"0\" eb=\"2\"><t>トウキョウ</t></rPh><phoneticPr fontId=\"1\"/></si>";
  EXPECT_EQ(rows_of("<row><c t=\"s\"><v>0</v></c><c t=\"s\"><v>1</v></c>"
                    "<c t=\"inlineStr\"><is><r><t>in</t></r><r><t>line</t></r><rPh><t>no</t></rPh></is></c></row>",
                    shared),
            (Rows{{"Bold and plain", "東京", "inline"}}));
}

TEST(StringItems, ChineseTextIsHeldAsGbk) {
  Loaded loaded = load_sheet("<row><c t=\"s\"><v>0</v></c><c t=\"inlineStr\"><is><t>上海</t></is></c></row>",
                             "<si><t>北京</t></si>");
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.text(0, 0), colsplit::testing::gbk(u8"北京"));
  EXPECT_EQ(loaded.grid.text(0, 1), colsplit::testing::gbk(u8"上海"));
}

TEST(StringItems, EscapesAreDecoded) {
  EXPECT_EQ(decode_escapes("ABC_x000D_DEF"), "ABC\rDEF");
  EXPECT_EQ(decode_escapes("_x005F_x0041_"), "_x0041_");
  EXPECT_EQ(decode_escapes("_x0041__x0042_"), "AB");
  EXPECT_EQ(decode_escapes("_x4e2d_"), "\xE4\xB8\xAD");
  EXPECT_EQ(decode_escapes("_xD83D__xDE00_"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(decode_escapes("_xD83D_x"), "\xEF\xBF\xBD" "x");
  EXPECT_EQ(decode_escapes("_x12_ _xGGGG_ _x0041"), "_x12_ _xGGGG_ _x0041");
  // In every kind of string cell, and NUL characters never reach the text.
  EXPECT_EQ(rows_of("<row><c t=\"s\"><v>0</v></c><c t=\"inlineStr\"><is><t>a_x000A_b</t></is></c>"
                    "<c t=\"str\"><v>x_x0000_y</v></c></row>",
                    "<si><t>_x005F_x0041_</t></si>"),
            (Rows{{"_x0041_", "a\nb", "xy"}}));
}

// Reads a part through a handler, fed in pieces of `piece` bytes.
template <typename Handler>
ReadStatus feed_in_pieces(Handler& handler, const std::string& xml, std::size_t piece) {
  xml::Parser parser(handler, ReadLimits{});
  for (std::size_t at = 0; at < xml.size(); at += piece) {
    const std::size_t size = std::min(piece, xml.size() - at);
    if (!parser.feed(xml.data() + at, size, at + size == xml.size())) return parser.status();
  }
  return parser.status();
}

TEST(Streaming, PartsFedByteByByteReadAsWhenFedWhole) {
  const std::string shared = shared_strings_xml(
      "<si><r><t>ri</t></r><r><t>ch</t></r><rPh><t>x</t></rPh></si><si><t>_x005F_x0041_ 北京</t></si>");
  const std::string sheet = sheet_xml(
      "<row><c t=\"s\"><v>1</v></c><c t=\"s\"><v>0</v></c><c t=\"inlineStr\"><is><t>a&amp;b&#x4e2d;</t></is></c>"
      "<c><v>12</v></c><c t=\"b\"><v>1</v></c></row><row r=\"4\"><c r=\"C4\" t=\"str\"><v>&lt;tail&gt;</v></c></row>",
      "<dimension ref=\"A1\"/><extLst><ext><row><c><v>9</v></c></row></ext></extLst>");
  std::vector<std::string> results;
  for (const std::size_t piece : {sheet.size() + shared.size(), std::size_t{1}, std::size_t{7}}) {
    CellGrid grid;
    SharedStringsHandler strings_handler(grid.storage(), 100);
    ASSERT_EQ(feed_in_pieces(strings_handler, shared, piece), ReadStatus::ok);
    const SharedStringSpans strings = strings_handler.take_strings();
    const StyleFormats styles;
    WorksheetHandler sheet_handler(grid.storage(), styles, false);
    ASSERT_EQ(feed_in_pieces(sheet_handler, sheet, piece), ReadStatus::ok);
    ASSERT_EQ(resolve_shared_strings(grid.storage(), strings, 0), ReadStatus::ok);
    grid.storage().finish();
    std::string flat;
    for (const auto& row : grid_rows(grid))
      for (const auto& cell : row) flat += cell + "|";
    results.push_back(flat);
  }
  EXPECT_EQ(results[0], "_x0041_ 北京|rich|a&b中|12|TRUE|" + std::string(12, '|') + "<tail>|||");
  EXPECT_EQ(results[1], results[0]);
  EXPECT_EQ(results[2], results[0]);
}

// A typed cell's value comes back exactly, whether the shown text stands
// for it (most numbers, kept without their 8 bytes) or not.
TEST(TypedValues, ComeBackExactlyBehindTheirTexts) {
  const struct {
    std::string text;
    CellValue value;
  } cases[] = {
      {"1234.5", {CellKind::number, 1234.5, 3}},
      {"0", {CellKind::number, -0.0, 1}},  // the text loses the sign: kept whole
      {"0.3", {CellKind::number, 0.30000000000000004, 1}},
      {"2024-03-01", {CellKind::number, 45352, 70000}},  // a wide style
      {"", {CellKind::number, 7, 2}},
      {"TRUE", {CellKind::boolean, 1, 0}},
      {"FALSE", {CellKind::boolean, 0, 5}},
      {"#N/A", {CellKind::error, 0, 9}},
      {std::string(CellRecord::kLongText + 3, '9'), {CellKind::number, 1e300, 4}},
  };
  CellGrid grid;
  CellGrid::Storage& storage = grid.storage();
  for (std::uint32_t row = 0; row < std::size(cases); ++row) {
    std::uint32_t offset = 0, length = 0;
    ASSERT_TRUE(storage.append_typed_text(cases[row].text, cases[row].value, offset, length));
    storage.add_cell(row, 0, offset, length);
  }
  storage.finish();
  for (int row = 0; row < static_cast<int>(std::size(cases)); ++row) {
    const CellValue value = grid.value(row, 0);
    EXPECT_EQ(grid.text(row, 0), cases[row].text) << row;
    EXPECT_EQ(value.kind, cases[row].value.kind) << row;
    EXPECT_EQ(value.style, cases[row].value.style) << row;
    EXPECT_EQ(std::signbit(value.number), std::signbit(cases[row].value.number)) << row;
    EXPECT_EQ(value.number, cases[row].value.number) << row;
  }
}

}  // namespace
}  // namespace sheetlib::testing
