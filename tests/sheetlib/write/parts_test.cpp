#include "sheetlib/write/parts.h"

#include <cstdlib>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "deflated_text.h"

namespace sheetlib {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The text between the first `open` and the `close` after it, both included.
std::string fragment(const std::string& xml, std::string_view open, std::string_view close) {
  const std::size_t start = xml.find(open);
  if (start == std::string::npos) return "(no " + std::string(open) + ")";
  const std::size_t end = xml.find(close, start);
  if (end == std::string::npos) return "(unclosed " + std::string(open) + ")";
  return xml.substr(start, end + close.size() - start);
}

TEST(WorksheetPart, CellsAreSharedStringsWithTheirStyle) {
  SheetContent sheet;
  sheet.set_cell(0, 0, 0, 1);
  sheet.set_cell(0, 1, kNoString, 1);  // an empty text: a formatted cell without value
  sheet.set_cell(2, 27, 3, 0);
  const std::string xml = worksheet_part(sheet, true);
  EXPECT_EQ(fragment(xml, "<sheetData>", "</sheetData>"),
            "<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\" t=\"s\"><v>0</v></c><c r=\"B1\" s=\"1\"/></row>"
            "<row r=\"3\"><c r=\"AB3\" t=\"s\"><v>3</v></c></row></sheetData>");
  EXPECT_EQ(fragment(xml, "<dimension", "/>"), "<dimension ref=\"A1:AB3\"/>");
  EXPECT_THAT(xml, HasSubstr("<sheetView tabSelected=\"1\" workbookViewId=\"0\"/>"));
}

// Each number in the shortest text that reads back as the same double.
TEST(WorksheetPart, NumbersAndBooleansWithTheirStyle) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {1234.5, "1234.5"},
      {0.1, "0.1"},
      {1e-7, "1e-07"},
      {123456789012345678.0, "123456789012345680"},
      {-0.0, "0"},
      {1e308, "1e+308"},
      {-2.5, "-2.5"},
      {45292, "45292"},
      {0.30000000000000004, "0.30000000000000004"},
      {5e-324, "5e-324"},
      {1.7976931348623157e308, "1.7976931348623157e+308"},
  };
  SheetContent sheet;
  std::string expected = "<sheetData>";
  std::uint32_t row = 0;
  for (const Case& test : cases) {
    EXPECT_EQ(std::strtod(test.text, nullptr), test.value) << test.text;
    sheet.set_number(row, 1, test.value, 1);
    const std::string number = std::to_string(++row);
    expected += "<row r=\"" + number + "\"><c r=\"B" + number + "\" s=\"1\"><v>" + test.text + "</v></c></row>";
  }
  sheet.set_boolean(row, 0, true, 0);
  sheet.set_boolean(row, 1, false, 2);
  sheet.set_cell(row, 2, 5, 0);
  sheet.set_number(row, 3, 7, 0);
  expected += "<row r=\"12\"><c r=\"A12\" t=\"b\"><v>1</v></c><c r=\"B12\" s=\"2\" t=\"b\"><v>0</v></c>"
              "<c r=\"C12\" t=\"s\"><v>5</v></c><c r=\"D12\"><v>7</v></c></row></sheetData>";
  const std::string whole = worksheet_part(sheet, false);
  EXPECT_EQ(fragment(whole, "<sheetData>", "</sheetData>"), expected);
  WorksheetStream stream(sheet, false);
  std::string pieces;
  for (std::string piece; stream.next(piece, 10); piece.clear()) pieces += piece;
  EXPECT_EQ(pieces, whole);
}

TEST(WorksheetPart, MergedRangesInTheOrderAdded) {
  SheetContent sheet;
  EXPECT_THAT(worksheet_part(sheet, false), Not(HasSubstr("<mergeCells")));
  sheet.add_merged_range({0, 0, 0, 7});
  sheet.add_merged_range({9, 1, 1048575, 16383});
  sheet.add_merged_range({2, 0, 4, 0});
  EXPECT_EQ(fragment(worksheet_part(sheet, false), "<mergeCells", "</mergeCells>"),
            "<mergeCells count=\"3\"><mergeCell ref=\"A1:H1\"/><mergeCell ref=\"B10:XFD1048576\"/>"
            "<mergeCell ref=\"A3:A5\"/></mergeCells>");
}

TEST(WorksheetPart, StreamedInSmallPiecesItIsTheWholePartAndItsCountedSize) {
  SheetContent sheet;
  for (std::uint32_t row = 0; row < 3000; ++row) {
    for (std::uint32_t column = 0; column < 4; ++column) sheet.set_cell(row, column, row % 7, column % 2);
  }
  sheet.add_ignored_errors({0, 0, 3000, 4, kAllIgnoredErrors});
  const std::string whole = worksheet_part(sheet, true);
  WorksheetStream stream(sheet, true);
  EXPECT_EQ(stream.size(), whole.size());
  std::string pieces;
  int count = 0;
  for (std::string piece; stream.next(piece, 1000); piece.clear()) {
    pieces += piece;
    ++count;
  }
  EXPECT_EQ(pieces, whole);
  EXPECT_GT(count, 50);  // rows cut anywhere, as the zip reads them
  stream.restart();
  std::string again;
  while (stream.next(again, 1 << 20)) {
  }
  EXPECT_EQ(again, whole);
}

TEST(WorksheetPart, EmptySheet) {
  SheetContent sheet;
  const std::string xml = worksheet_part(sheet, false);
  EXPECT_THAT(xml, HasSubstr("<dimension ref=\"A1\"/>"));
  EXPECT_THAT(xml, HasSubstr("<sheetData/>"));
  EXPECT_THAT(xml, Not(HasSubstr("<cols>")));
  EXPECT_THAT(xml, Not(HasSubstr("<ignoredErrors>")));
  EXPECT_THAT(xml, Not(HasSubstr("tabSelected")));
}

TEST(WorksheetPart, DimensionStartsAtTheFirstUsedCell) {
  SheetContent sheet;
  sheet.set_cell(3, 4, 0, 0);
  sheet.set_cell(5, 2, 0, 0);
  EXPECT_EQ(fragment(worksheet_part(sheet, false), "<dimension", "/>"), "<dimension ref=\"C4:E6\"/>");
}

TEST(WorksheetPart, ColumnsWithWidthStyleAndHiddenFlag) {
  SheetContent sheet;
  sheet.set_columns({0, 20, 20, 0, false});
  sheet.set_columns({21, 21, 8.43, 2, true});
  EXPECT_EQ(fragment(worksheet_part(sheet, false), "<cols>", "</cols>"),
            "<cols><col min=\"1\" max=\"21\" width=\"20\" customWidth=\"1\"/>"
            "<col min=\"22\" max=\"22\" width=\"8.43\" style=\"2\" hidden=\"1\" customWidth=\"1\"/></cols>");
}

TEST(WorksheetPart, IgnoredErrorAttributesFollowTheFlags) {
  SheetContent sheet;
  sheet.add_ignored_errors({0, 0, 5, 3, kAllIgnoredErrors});
  sheet.add_ignored_errors({7, 1, 7, 1, kNumberStoredAsText});
  sheet.add_ignored_errors({0, 0, 1, 1, kEmptyCellReference | kFormulaRange | kListDataValidation});
  EXPECT_EQ(fragment(worksheet_part(sheet, false), "<ignoredErrors>", "</ignoredErrors>"),
            "<ignoredErrors>"
            "<ignoredError sqref=\"A1:D6\" evalError=\"1\" twoDigitTextYear=\"1\" numberStoredAsText=\"1\" "
            "formula=\"1\" formulaRange=\"1\" unlockedFormula=\"1\" emptyCellReference=\"1\" "
            "listDataValidation=\"1\"/>"
            "<ignoredError sqref=\"B8\" numberStoredAsText=\"1\"/>"
            "<ignoredError sqref=\"A1:B2\" formulaRange=\"1\" emptyCellReference=\"1\" listDataValidation=\"1\"/>"
            "</ignoredErrors>");
}

TEST(WorksheetPart, ElementsInSchemaOrder) {
  SheetContent sheet;
  sheet.set_cell(0, 0, 0, 0);
  sheet.set_columns({0, 0, 10, 0, false});
  sheet.add_ignored_errors({0, 0, 0, 0, kFormula});
  sheet.add_merged_range({0, 0, 1, 0});
  const std::string xml = worksheet_part(sheet, true);
  std::size_t last = 0;
  for (const char* element : {"<dimension", "<sheetViews>", "<sheetFormatPr", "<cols>", "<sheetData>",
                              "<mergeCells", "<pageMargins", "<ignoredErrors>", "</worksheet>"}) {
    const std::size_t at = xml.find(element);
    ASSERT_NE(at, std::string::npos) << element;
    EXPECT_GT(at, last) << element;
    last = at;
  }
}

TEST(SharedStringsPart, EscapedTextsWithCounts) {
  SharedStrings strings;
  strings.intern("a<b");
  strings.intern(" padded");
  strings.intern("_x0041_\x02");
  const std::string xml = inflated(shared_strings_part(strings, 7));
  EXPECT_THAT(xml, HasSubstr("count=\"7\" uniqueCount=\"3\">"));
  EXPECT_EQ(fragment(xml, "<si>", "</sst>"),
            "<si><t>a&lt;b</t></si><si><t xml:space=\"preserve\"> padded</t></si>"
            "<si><t>_x005F_x0041__x0002_</t></si></sst>");
}

// Past some 32 KiB of items the strings are deflated as they come: a save
// joins the part's head, what was deflated, the items since and the end into
// one stream, and leaves the items so that strings added after the save
// follow (a workbook saved twice). Texts outside ASCII become UTF-8.
TEST(SharedStringsPart, ItemsDeflatedAsTheyComeJoinTheHeadAndEnd) {
  SharedStrings strings;
  std::string items;
  const auto add = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      // Appended piece by piece: MinGW's GCC 12 warns falsely about a literal + string.
      std::string number = std::to_string(i * 7919 % 100003);
      const bool ampersand = i % 5 == 0;
      strings.intern(std::string("r").append(number).append(ampersand ? " &" : ""));
      items.append("<si><t>r").append(number).append(ampersand ? " &amp;" : "").append("</t></si>");
    }
  };
  add(0, 20000);
  strings.intern("\xB3\xC7\xCA\xD0");  // 城市
  items += "<si><t>\xE5\x9F\x8E\xE5\xB8\x82</t></si>";
  std::string xml = inflated(shared_strings_part(strings, 30000));
  EXPECT_THAT(xml, HasSubstr("count=\"30000\" uniqueCount=\"20001\">"));
  EXPECT_EQ(fragment(xml, "<si>", "</sst>"), items + "</sst>");
  add(20000, 20100);
  xml = inflated(shared_strings_part(strings, 40000));
  EXPECT_THAT(xml, HasSubstr("uniqueCount=\"20101\">"));
  EXPECT_EQ(fragment(xml, "<si>", "</sst>"), items + "</sst>");
}

TEST(StylesPart, ThinBorderOnAllFourSides) {
  const std::string xml = styles_part({{1}}, {});
  EXPECT_EQ(fragment(xml, "<borders", "</borders>"),
            "<borders count=\"2\"><border><left/><right/><top/><bottom/><diagonal/></border>"
            "<border><left style=\"thin\"><color indexed=\"64\"/></left>"
            "<right style=\"thin\"><color indexed=\"64\"/></right>"
            "<top style=\"thin\"><color indexed=\"64\"/></top>"
            "<bottom style=\"thin\"><color indexed=\"64\"/></bottom><diagonal/></border></borders>");
  EXPECT_EQ(fragment(xml, "<cellXfs", "</cellXfs>"),
            "<cellXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
            "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"1\" xfId=\"0\" applyBorder=\"1\"/></cellXfs>");
}

TEST(StylesPart, FormatsShareBordersOfTheSameStyle) {
  const std::string xml = styles_part({{1}, {0}, {1}, {6}}, {});
  EXPECT_THAT(xml, HasSubstr("<borders count=\"3\">"));
  EXPECT_THAT(xml, HasSubstr("<left style=\"double\">"));
  EXPECT_EQ(fragment(xml, "<cellXfs", "</cellXfs>"),
            "<cellXfs count=\"5\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
            "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"1\" xfId=\"0\" applyBorder=\"1\"/>"
            "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
            "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"1\" xfId=\"0\" applyBorder=\"1\"/>"
            "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"2\" xfId=\"0\" applyBorder=\"1\"/></cellXfs>");
}

// The workbook's own codes come first, escaped (control characters other
// than tab and line breaks cannot be in XML and are left out); built-in ids
// are referred to alone.
TEST(StylesPart, NumberFormatsOfTheWorkbookAndBuiltIn) {
  EXPECT_THAT(styles_part({{1, 14}}, {}), Not(HasSubstr("<numFmt")));
  const std::string xml =
      styles_part({{0, 164}, {1, 14}, {1, 0}, {0, 165}, {2, 999}},
                  {"#,##0.00", "yyyy\"\xE5\xB9\xB4\"m\"\xE6\x9C\x88\";[Red]\\-0 <&>\x01\t"});
  EXPECT_EQ(fragment(xml, "<numFmts", "</numFmts>"),
            "<numFmts count=\"2\"><numFmt numFmtId=\"164\" formatCode=\"#,##0.00\"/>"
            "<numFmt numFmtId=\"165\" formatCode=\"yyyy&quot;\xE5\xB9\xB4&quot;m&quot;\xE6\x9C\x88&quot;;"
            "[Red]\\-0 &lt;&amp;&gt;&#9;\"/></numFmts>");
  EXPECT_LT(xml.find("<numFmts"), xml.find("<fonts"));
  EXPECT_EQ(fragment(xml, "<cellXfs", "</cellXfs>"),
            "<cellXfs count=\"6\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
            "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
            "<xf numFmtId=\"14\" fontId=\"0\" fillId=\"0\" borderId=\"1\" xfId=\"0\" applyNumberFormat=\"1\" "
            "applyBorder=\"1\"/>"
            "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"1\" xfId=\"0\" applyBorder=\"1\"/>"
            "<xf numFmtId=\"165\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
            "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"2\" xfId=\"0\" applyBorder=\"1\"/>"
            "</cellXfs>");
}

TEST(WorkbookPart, SheetsInOrderWithEscapedNames) {
  SheetContent first;
  SheetContent second;
  const std::string xml = workbook_part({{"A & \"B\"", &first}, {"<x>", &second}});
  EXPECT_EQ(fragment(xml, "<sheets>", "</sheets>"),
            "<sheets><sheet name=\"A &amp; &quot;B&quot;\" sheetId=\"1\" r:id=\"rId1\"/>"
            "<sheet name=\"&lt;x&gt;\" sheetId=\"2\" r:id=\"rId2\"/></sheets>");
  const std::string rels = workbook_relationships_part(2);
  EXPECT_THAT(rels, HasSubstr("Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                              "relationships/worksheet\" Target=\"worksheets/sheet2.xml\""));
  EXPECT_THAT(rels, HasSubstr("Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                              "relationships/styles\""));
  EXPECT_THAT(rels, HasSubstr("Id=\"rId4\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                              "relationships/sharedStrings\""));
  EXPECT_THAT(content_types_part(2), HasSubstr("PartName=\"/xl/worksheets/sheet2.xml\""));
}

}  // namespace
}  // namespace sheetlib
