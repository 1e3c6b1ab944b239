// What each cell of a worksheet shows, and where it lands.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sheetlib/format/number_format.h"
#include "sheetlib/read/cell_grid.h"
#include "sheetlib/read/ooxml_text.h"
#include "sheetlib/read/shared_strings_part.h"
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

}  // namespace
}  // namespace sheetlib::testing
