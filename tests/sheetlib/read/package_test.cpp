// Finding the worksheet asked for in packages that are laid out in every way
// the package rules allow.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sheetlib/read/relationships.h"
#include "sheetlib/read/workbook_part.h"
#include "sheetlib/read/xml_stream.h"
#include "test_package.h"

namespace sheetlib::testing {
namespace {

using ::testing::ElementsAre;

const std::string kTypes = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const std::string kStrictTypes = "http://purl.oclc.org/ooxml/officeDocument/relationships/";

std::string rels(const std::string& body) {
  return "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" + body +
         "</Relationships>";
}
std::string rel(const std::string& id, const std::string& type, const std::string& target) {
  return "<Relationship Id=\"" + id + "\" Type=\"" + type + "\" Target=\"" + target + "\"/>";
}
std::string one_cell_sheet(const std::string& text) {
  return sheet_xml("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" + text + "</t></is></c></row>");
}
std::string workbook_xml(const std::string& sheets, const std::string& extra = "") {
  return "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">" +
         extra + "<sheets>" + sheets + "</sheets></workbook>";
}

std::string first_cell(const std::vector<Part>& parts) {
  Loaded loaded = load(make_zip(parts));
  EXPECT_EQ(loaded.status, ReadStatus::ok);
  return std::string(loaded.grid.text(0, 0));
}

TEST(PackagePaths, TargetsResolveRelativeAbsoluteAndUpward) {
  EXPECT_EQ(resolve_target("xl/workbook.xml", "worksheets/sheet1.xml"), "xl/worksheets/sheet1.xml");
  EXPECT_EQ(resolve_target("xl/workbook.xml", "/xl/worksheets/sheet1.xml"), "xl/worksheets/sheet1.xml");
  EXPECT_EQ(resolve_target("xl/workbook.xml", "../data/./s.xml"), "data/s.xml");
  EXPECT_EQ(resolve_target("xl/workbook.xml", "..\\..\\..\\s.xml"), "s.xml");
  EXPECT_EQ(resolve_target("", "xl/workbook.xml"), "xl/workbook.xml");
  EXPECT_EQ(relationships_part_of("xl/workbook.xml"), "xl/_rels/workbook.xml.rels");
  EXPECT_EQ(relationships_part_of(""), "_rels/.rels");
}

TEST(PackagePaths, WorkbookAnywhereWithAbsoluteUpwardAndCaseDifferentNames) {
  const std::vector<Part> parts = {
      {"_rels/.rels", rels(rel("r1", kTypes + "officeDocument", "/Book/Main.XML"))},
      {"book/main.xml", workbook_xml("<sheet name=\"S\" sheetId=\"1\" r:id=\"s1\"/>")},
      {"book\\_rels\\main.xml.rels", rels(rel("s1", kTypes + "worksheet", "../Sheets/First.xml"))},
      {"SHEETS/FIRST.XML", one_cell_sheet("found")},
  };
  EXPECT_EQ(first_cell(parts), "found");
}

TEST(PackagePaths, FirstWorksheetIsByTabOrderNotByFileNameAndSkipsChartSheets) {
  const std::vector<Part> parts = {
      {"_rels/.rels", rels(rel("rId1", kTypes + "officeDocument", "xl/workbook.xml"))},
      {"xl/workbook.xml", workbook_xml("<sheet name=\"Chart\" sheetId=\"3\" r:id=\"rId9\"/>"
                                       "<sheet name=\"Second\" sheetId=\"2\" r:id=\"rId2\"/>"
                                       "<sheet name=\"First\" sheetId=\"1\" r:id=\"rId1\"/>")},
      {"xl/_rels/workbook.xml.rels",
       rels(rel("rId1", kTypes + "worksheet", "worksheets/sheet1.xml") +
            rel("rId2", kTypes + "worksheet", "worksheets/sheet2.xml") +
            rel("rId9", kTypes + "chartsheet", "chartsheets/sheet1.xml") +
            rel("rId5", kTypes + "hyperlink", "http://example.com/\" TargetMode=\"External"))},
      {"xl/chartsheets/sheet1.xml", one_cell_sheet("chart")},
      {"xl/worksheets/sheet1.xml", one_cell_sheet("one")},
      {"xl/worksheets/sheet2.xml", one_cell_sheet("two")},
  };
  EXPECT_EQ(first_cell(parts), "two");
}

// Taking the next sheet would split another sheet's data as if it were the
// first one's.
TEST(PackagePaths, FirstSheetWhoseRelationshipIsMissingFailsInsteadOfShowingTheNext) {
  const auto workbook_with = [](const std::string& first_sheet) {
    return std::vector<Part>{
        {"_rels/.rels", rels(rel("rId1", kTypes + "officeDocument", "xl/workbook.xml"))},
        {"xl/workbook.xml", workbook_xml(first_sheet + "<sheet name=\"Second\" sheetId=\"2\" r:id=\"rId2\"/>")},
        {"xl/_rels/workbook.xml.rels", rels(rel("rId1", kTypes + "worksheet", "worksheets/sheet1.xml") +
                                            rel("rId2", kTypes + "worksheet", "worksheets/sheet2.xml"))},
        {"xl/worksheets/sheet1.xml", one_cell_sheet("one")},
        {"xl/worksheets/sheet2.xml", one_cell_sheet("two")},
    };
  };
  EXPECT_EQ(first_cell(workbook_with("<sheet name=\"First\" sheetId=\"1\" r:id=\"rId1\"/>")), "one");
  EXPECT_EQ(load(make_zip(workbook_with("<sheet name=\"First\" sheetId=\"1\" r:id=\"rId7\"/>"))).status,
            ReadStatus::malformed);
  EXPECT_EQ(load(make_zip(workbook_with("<sheet name=\"First\" sheetId=\"1\"/>"))).status, ReadStatus::malformed);
  // A relationship that exists but names a part the zip lacks fails as well.
  std::vector<Part> parts = workbook_with("<sheet name=\"First\" sheetId=\"1\" r:id=\"rId1\"/>");
  parts.erase(parts.begin() + 3);
  EXPECT_NE(load(make_zip(parts)).status, ReadStatus::ok);
}

// Worksheets are counted in tab order with chart and macro sheets passed
// over; the names are those of the worksheets alone. A sheet whose
// relationship is missing makes the choice ambiguous only when it comes
// before the sheet asked for.
TEST(PackagePaths, WorksheetOfAnIndexAndTheNamesOfAll) {
  const auto workbook_with = [](const std::string& sheets) {
    return make_zip({
        {"_rels/.rels", rels(rel("rId1", kTypes + "officeDocument", "xl/workbook.xml"))},
        {"xl/workbook.xml", workbook_xml(sheets)},
        {"xl/_rels/workbook.xml.rels",
         rels(rel("rW1", kTypes + "worksheet", "worksheets/sheet1.xml") +
              rel("rW2", kTypes + "worksheet", "worksheets/sheet2.xml") +
              rel("rW3", kTypes + "worksheet", "worksheets/sheet3.xml") +
              rel("rC", kTypes + "chartsheet", "chartsheets/sheet1.xml") +
              rel("rM", "http://schemas.microsoft.com/office/2006/relationships/xlMacrosheet", "macrosheets/m.xml"))},
        {"xl/chartsheets/sheet1.xml", one_cell_sheet("chart")},
        {"xl/macrosheets/m.xml", one_cell_sheet("macro")},
        {"xl/worksheets/sheet1.xml", one_cell_sheet("one")},
        {"xl/worksheets/sheet2.xml", one_cell_sheet("two")},
        {"xl/worksheets/sheet3.xml", one_cell_sheet("three")},
    });
  };
  const auto sheet = [](const std::string& name, const std::string& id) {
    std::string element = "<sheet name=\"" + name + "\" sheetId=\"1\"";
    if (!id.empty()) element.append(" r:id=\"").append(id).append("\"");
    return element.append("/>");
  };
  const std::string chart = sheet("Chart", "rC"), macro = sheet("Macro", "rM"), unnamed = "<sheet r:id=\"rW3\"/>";
  const std::string three = sheet("Third", "rW1") + sheet("数据", "rW2") + sheet("A &amp; B", "rW3");
  const std::vector<std::string> three_names = {"Third", "数据", "A & B"};
  struct Case {
    std::string sheets;
    int index;
    ReadStatus status;
    std::string cell;  // A1 of the sheet read
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {chart + three, 0, ReadStatus::ok, "one", three_names},
      {chart + sheet("Third", "rW1") + macro + sheet("数据", "rW2") + sheet("A &amp; B", "rW3"), 1, ReadStatus::ok,
       "two", three_names},
      {three + chart, 2, ReadStatus::ok, "three", three_names},
      {sheet("B", "rW3") + sheet("A", "rW1"), 0, ReadStatus::ok, "three", {"B", "A"}},
      {sheet("S", "rW2") + unnamed, 1, ReadStatus::ok, "three", {"S", ""}},
      // Past the last worksheet; a workbook of chart sheets alone has none.
      {three, 3, ReadStatus::no_such_sheet, "", {}},
      {chart + sheet("Only", "rW1"), 1, ReadStatus::no_such_sheet, "", {}},
      {three, -1, ReadStatus::no_such_sheet, "", {}},
      {chart, 0, ReadStatus::not_a_workbook, "", {}},
      // A relationship missing after the sheet asked for: that sheet left out.
      {sheet("A", "rW1") + sheet("Lost", "rX") + sheet("B", "rW2") + sheet("NoId", ""), 0, ReadStatus::ok, "one",
       {"A", "B"}},
      {sheet("A", "rW1") + sheet("B", "rW2") + sheet("Lost", "rX"), 1, ReadStatus::ok, "two", {"A", "B"}},
      // Before it, or before an index past the end: no telling which it is.
      {sheet("A", "rW1") + sheet("Lost", "rX") + sheet("B", "rW2"), 1, ReadStatus::malformed, "", {}},
      {sheet("Lost", "") + sheet("A", "rW1"), 0, ReadStatus::malformed, "", {}},
      {sheet("A", "rW1") + sheet("Lost", "rX"), 1, ReadStatus::malformed, "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sheets + " #" + std::to_string(c.index));
    CellGrid grid;
    std::vector<std::string> names = {"kept"};
    ASSERT_EQ(read_worksheet(workbook_with(c.sheets), c.index, grid, &names), c.status);
    if (c.status != ReadStatus::ok) {
      // What the caller held stays.
      EXPECT_THAT(names, ElementsAre("kept"));
      continue;
    }
    EXPECT_EQ(grid.text(0, 0), c.cell);
    EXPECT_EQ(names, c.names);
  }
}

TEST(PackagePaths, StrictPackagesReadLikeTransitionalOnes) {
  const std::string strict_main = "http://purl.oclc.org/ooxml/spreadsheetml/main";
  const std::string strict_rel = "http://purl.oclc.org/ooxml/officeDocument/relationships";
  const std::vector<Part> parts = {
      {"_rels/.rels", rels(rel("rId1", kStrictTypes + "officeDocument", "xl/workbook.xml"))},
      {"xl/workbook.xml", "<workbook xmlns=\"" + strict_main + "\" xmlns:r=\"" + strict_rel +
                              "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels", rels(rel("rId1", kStrictTypes + "worksheet", "worksheets/sheet1.xml") +
                                          rel("rId2", kStrictTypes + "sharedStrings", "sharedStrings.xml"))},
      {"xl/sharedStrings.xml", "<sst xmlns=\"" + strict_main + "\"><si><t>strict</t></si></sst>"},
      {"xl/worksheets/sheet1.xml", "<worksheet xmlns=\"" + strict_main +
                                       "\"><sheetData><row><c t=\"s\"><v>0</v></c></row></sheetData></worksheet>"},
  };
  EXPECT_EQ(first_cell(parts), "strict");
}

TEST(PackagePaths, PrefixedElementsAreMatchedByNamespaceNotByPrefix) {
  std::vector<Part> parts = workbook_parts("");
  parts[4].data =
      "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><x:sheetData>"
      "<x:row r=\"1\"><x:c r=\"B1\" t=\"inlineStr\"><x:is><x:t>prefixed</x:t></x:is></x:c></x:row>"
      // Same local names in a foreign namespace are not cells.
      "<o:row xmlns:o=\"urn:other\" r=\"5\"><o:c r=\"A5\"><o:v>1</o:v></o:c></o:row>"
      "</x:sheetData></x:worksheet>";
  Loaded loaded = load(make_zip(parts));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_THAT(grid_rows(loaded.grid), ElementsAre(ElementsAre("", "prefixed")));
}

TEST(PackagePaths, NamespaceDeclarationsHoldInTheirScopeOnly) {
  std::vector<Part> parts = workbook_parts("");
  parts[4].data =
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
      // The default namespace changed for one cell, then undeclared for another.
      "<row r=\"1\"><c r=\"A1\" xmlns=\"urn:other\"><v>1</v></c><c r=\"B1\" xmlns=\"\"><v>2</v></c>"
      "<c r=\"C1\"><v>3</v></c></row>"
      // A prefix bound to the main namespace for one row only.
      "<m:row xmlns:m=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" r=\"2\">"
      "<m:c r=\"A2\"><m:v>4</m:v></m:c></m:row>"
      "<m:row r=\"3\"><m:c r=\"A3\"><m:v>5</m:v></m:c></m:row>"
      "</sheetData></worksheet>";
  Loaded loaded = load(make_zip(parts));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_THAT(grid_rows(loaded.grid), ElementsAre(ElementsAre("", "", "3"), ElementsAre("4", "", "")));
}

TEST(PackagePaths, OnlyTheWorksheetIsRequired) {
  // No shared strings, no styles, no package relationships at all.
  std::vector<Part> parts = workbook_parts(one_cell_sheet("bare"));
  parts.erase(parts.begin(), parts.begin() + 2);
  EXPECT_EQ(first_cell(parts), "bare");

  // Relationships that name shared strings and styles the zip lacks.
  parts = workbook_parts(one_cell_sheet("bare"), shared_strings_xml(""), "<styleSheet/>");
  parts.resize(5);
  EXPECT_EQ(first_cell(parts), "bare");
}

TEST(PackagePaths, WorkbooksWithoutAWorksheetAreNoWorkbooks) {
  std::vector<Part> parts = workbook_parts(one_cell_sheet("x"));
  parts.pop_back();  // the worksheet itself
  EXPECT_EQ(load(make_zip(parts)).status, ReadStatus::not_a_workbook);

  parts = workbook_parts(one_cell_sheet("x"));
  parts[2].data = workbook_xml("");
  EXPECT_EQ(load(make_zip(parts)).status, ReadStatus::not_a_workbook);

  EXPECT_EQ(load(make_zip({{"readme.txt", "hello"}})).status, ReadStatus::not_a_workbook);
}

bool date1904_of(const std::string& workbook) {
  WorkbookHandler handler;
  xml::Parser parser(handler, ReadLimits{});
  EXPECT_TRUE(parser.feed(workbook.data(), workbook.size(), true));
  return handler.date1904();
}

TEST(WorkbookPart, DateSystemIsABooleanAndExtensionsDoNotResetIt) {
  EXPECT_TRUE(date1904_of(workbook_xml("", "<workbookPr date1904=\"1\"/>")));
  EXPECT_TRUE(date1904_of(workbook_xml("", "<workbookPr date1904=\"true\"/>")));
  EXPECT_TRUE(date1904_of(workbook_xml("", "<workbookPr date1904=\"on\"/>")));
  EXPECT_FALSE(date1904_of(workbook_xml("", "<workbookPr date1904=\"false\"/>")));
  EXPECT_FALSE(date1904_of(workbook_xml("", "<workbookPr date1904=\"0\"/>")));
  EXPECT_FALSE(date1904_of(workbook_xml("", "<workbookPr date1904=\"off\"/>")));
  EXPECT_FALSE(date1904_of(workbook_xml("", "<workbookPr/>")));
  EXPECT_TRUE(date1904_of(workbook_xml(
      "", "<workbookPr date1904=\"1\"/><extLst><ext uri=\"{x}\"><workbookPr "
          "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" date1904=\"0\"/>"
          "<x15:workbookPr xmlns:x15=\"http://schemas.microsoft.com/office/spreadsheetml/2010/11/main\" "
          "date1904=\"0\"/></ext></extLst>")));
}

}  // namespace
}  // namespace sheetlib::testing
