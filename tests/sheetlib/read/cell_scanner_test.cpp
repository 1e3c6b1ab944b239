// The cell scanner against expat: markup it reads gives the cells expat's
// reading gives; markup it does not know makes it decline, leaving the
// budget as it was.
#include "sheetlib/read/cell_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace sheetlib {
namespace {

const char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char kStrict[] = "http://purl.oclc.org/ooxml/spreadsheetml/main";

std::string sheet(const std::string& rows, const std::string& root = std::string(" xmlns=\"") + kMain + "\"",
                  const std::string& prefix = "", const std::string& head = "<?xml version=\"1.0\"?>\n") {
  return head + "<" + prefix + "worksheet" + root + "><" + prefix + "sheetData>" + rows + "</" + prefix +
         "sheetData></" + prefix + "worksheet>";
}

// Every cell as (row, column, text, kind, number, style); a string cell's
// text is the index of its shared string.
using Cells = std::vector<std::tuple<std::uint32_t, std::uint32_t, std::string, int, double, std::uint32_t>>;

Cells cells_of(CellGrid::Storage& storage) {
  storage.finish();
  Cells cells;
  for (std::uint32_t row = 0; row + 1 < storage.row_starts.size(); ++row) {
    for (std::uint32_t i = storage.row_starts[row]; i < storage.row_starts[row + 1]; ++i) {
      const CellRecord& cell = storage.cells[i];
      if (cell.awaits_shared_string()) {
        // Appended, not "#" + …: GCC 12 warns falsely (-Wrestrict) on that at -O3.
        std::string index = "#";
        index += std::to_string(cell.offset);
        cells.emplace_back(row, cell.column(), std::move(index), -1, 0, 0);
        continue;
      }
      const CellValue value = storage.value_of(cell);
      cells.emplace_back(row, cell.column(), std::string(storage.text_of(cell)), static_cast<int>(value.kind),
                         value.number, value.style);
    }
  }
  return cells;
}

struct Case {
  const char* name;
  std::string xml;
  bool declines;
  // A cell the reading must hold (row, column zero-based), so that two
  // empty readings do not pass for the same.
  std::uint32_t row = 0, column = 0;
  std::string text = {};
};

TEST(CellScanner, ReadsWhatExpatReadsOrDeclines) {
  const std::string prefixed_root = std::string(" xmlns:x=\"") + kMain + "\"";
  const std::string cell = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
  const Case cases[] = {
      {"DOCTYPE", sheet(cell, std::string(" xmlns=\"") + kMain + "\"", "", "<!DOCTYPE worksheet>"), true},
      {"instruction between rows", sheet(cell + "<?pi x?>" + cell), true},
      {"comment between cells", sheet("<row><c><v>1</v></c><!-- x --><c><v>2</v></c></row>"), true},
      {"CDATA", sheet("<row><c t=\"str\"><v><![CDATA[a]]></v></c></row>"), true},
      {"undeclared prefix", sheet("<y:row><c><v>1</v></c></y:row>"), true},
      {"another prefix than sheetData's", sheet("<x:row><c><v>1</v></c></x:row>", prefixed_root + " xmlns=\"" + kMain + "\""), true},
      {"namespace declared in a row", sheet(std::string("<row xmlns:y=\"") + kMain + "\"><c><v>1</v></c></row>"), true},
      {"unknown element", sheet("<row><c><v>1</v><foo/></c></row>"), true},
      {"element in the wrong place", sheet("<row><v>1</v></row>"), true},
      {"truncated tag", sheet(cell).substr(0, sheet(cell).find("<v>") - 2), true},
      {"unknown entity", sheet("<row><c t=\"str\"><v>&nbsp;</v></c></row>"), true},
      {"reference to a control character", sheet("<row><c t=\"str\"><v>&#1;</v></c></row>"), true},
      {"]]> in text", sheet("<row><c t=\"str\"><v>a]]>b</v></c></row>"), true},
      {"attribute twice", sheet("<row><c r=\"A1\" r=\"B1\"><v>1</v></c></row>"), true},
      {"no space between attributes", sheet("<row><c r=\"A1\"s=\"1\"><v>1</v></c></row>"), true},
      {"bytes that are not UTF-8", sheet("<row><c t=\"str\"><v>\xC0\xAF</v></c></row>"), true},
      {"encoding not UTF-8", sheet(cell, std::string(" xmlns=\"") + kMain + "\"", "",
                                   "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"), true},
      {"mismatched end tag", sheet("<row><c><v>1</c></v></row>"), true},
      {"row number out of the sheet", sheet("<row r=\"1048577\"><c><v>1</v></c></row>"), true},
      {"tab in a cell reference", sheet("<row><c r=\"A1\t\"><v>1</v></c></row>"), true},

      {"plain cells", sheet("<row r=\"2\"><c r=\"B2\" t=\"s\"><v>7</v></c><c r=\"C2\"><v>2.50</v></c></row>"), false,
       1, 2, "2.5"},
      {"prefixed", sheet("<x:row r=\"3\"><x:c r=\"A3\" t=\"str\"><x:v>p</x:v></x:c></x:row>", prefixed_root, "x:"),
       false, 2, 0, "p"},
      {"strict namespace", sheet(cell, std::string(" xmlns=\"") + kStrict + "\""), false, 0, 0, "1"},
      {"entities and character references",
       sheet("<row><c t=\"str\"><v>&lt;&amp;&gt;&quot;&apos;&#65;&#x42;</v></c></row>"), false, 0, 0, "<&>\"'AB"},
      {"rich text with a phonetic run",
       sheet("<row><c t=\"inlineStr\"><is><r><rPr><b/><sz val=\"11\"/></rPr><t>ab</t></r><r><t xml:space=\"preserve\"> "
             "c</t></r><rPh sb=\"0\" eb=\"1\"><t>no</t></rPh><rPh><r><rPr><b/></rPr><t>no</t></r></rPh>"
             "<phoneticPr fontId=\"1\"/></is></c></row>"),
       false, 0, 0, "ab c"},
      {"escapes", sheet("<row><c t=\"inlineStr\"><is><t>a_x000D_b_x005F_x0041_</t></is></c></row>"), false, 0, 0,
       "a\rb_x0041_"},
      {"line breaks made \\n", sheet("<row><c t=\"inlineStr\"><is><t>a\r\nb\rc</t></is></c></row>"), false, 0, 0,
       "a\nb\nc"},
      {"empty and self-closing cells",
       sheet("<row><c r=\"A1\"/><c t=\"s\"><v/></c><c t=\"str\"></c><c><v>5</v></c><c t=\"inlineStr\"><is/></c></row>"),
       false, 0, 3, "5"},
      {"rows and cells without r",
       sheet("<row><c><v>1</v></c></row>\n<row>\n <c><v>2</v></c> <c><f>A1</f><v>3</v></c></row><row r=\"9\"/><row>"
             "<c r=\"C10\"><v>4</v></c><c><v>5</v></c></row>"),
       false, 9, 3, "5"},
      {"typed cells", sheet("<row><c t=\"b\"><v>1</v></c><c t=\"e\"><v>#N/A</v></c><c t=\"d\"><v>2024-02-29</v></c>"
                            "<c t=\"b\"><v>x</v></c></row>"),
       false, 0, 1, "#N/A"},
      {"a cell that names another row", sheet("<row r=\"1\"><c r=\"B4\"><v>1</v></c><c><v>2</v></c></row><row><c><v>3</v></c></row>"),
       false, 4, 0, "3"},
      {"rows after a second sheetData",
       std::string("<worksheet xmlns=\"") + kMain + "\"><sheetData><row><c><v>1</v></c></row></sheetData>"
       "<sheetData><row><c><v>2</v></c></row></sheetData></worksheet>",
       false, 1, 0, "2"},
  };
  const ReadLimits limits;
  const StyleFormats styles;
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    CellGrid::Storage by_expat;
    {
      xml::MarkupBudget budget(limits.min_markup_items);
      WorksheetHandler handler(by_expat, styles, false);
      xml::Parser parser(handler, limits, &budget);
      parser.feed(test.xml.data(), test.xml.size(), true);
    }
    CellGrid::Storage by_scanner;
    xml::MarkupBudget budget(limits.min_markup_items);
    bool declined = false;
    WorksheetHandler handler(by_scanner, styles, false);
    const ReadStatus status = read_worksheet_scanning(test.xml, limits, budget, handler, declined);
    EXPECT_EQ(declined, test.declines);
    if (declined) {
      EXPECT_EQ(budget.spent(), 0u);
      continue;
    }
    EXPECT_EQ(status, ReadStatus::ok);
    const Cells scanned = cells_of(by_scanner);
    EXPECT_EQ(scanned, cells_of(by_expat));
    bool found = false;
    for (const auto& [row, column, text, kind, number, style] : scanned)
      found = found || (row == test.row && column == test.column && text == test.text);
    EXPECT_TRUE(found);
  }
}

TEST(CellScanner, DeclinesWhenTheMarkupBudgetRunsOutAndGivesItBack) {
  std::string rows;
  for (int r = 0; r < 200; ++r) rows += "<row><c><v>1</v></c></row>";
  const std::string xml = sheet(rows);
  const ReadLimits limits;
  const StyleFormats styles;
  CellGrid::Storage storage;
  xml::MarkupBudget budget(500);  // the head and some rows, not all
  ASSERT_TRUE(budget.draw(100));  // another part's spending stays
  bool declined = false;
  WorksheetHandler handler(storage, styles, false);
  read_worksheet_scanning(xml, limits, budget, handler, declined);
  EXPECT_TRUE(declined);
  EXPECT_EQ(budget.spent(), 100u);
}

}  // namespace
}  // namespace sheetlib
