// A load that asks for the look keeps it: the styles with their fonts,
// fills and borders, the theme, and the sheet's rows, columns, view,
// filter, validations, conditional formats, links and print setup, alike
// on every route through a worksheet; damaged items are left out alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <fstream>
#include <string>
#include <vector>

#include "sheetlib/core/sheet_look.h"
#include "sheetlib/read/workbook_reader.h"
#include "test_package.h"

namespace sheetlib::testing {
namespace {

struct LookLoad {
  ReadStatus status = ReadStatus::ok;
  CellGrid grid;
  ReadCost cost;
  const Look& look() const { return *grid.look(); }
};

LookLoad load_look(const std::string& bytes) {
  LookLoad loaded;
  loaded.grid.want_look();
  std::vector<std::string> names;
  loaded.status = read_xlsx_worksheet(bytes, 0, loaded.grid, names, ReadLimits{}, loaded.cost);
  return loaded;
}

std::string range_text(const MergedRange& r) {
  return std::to_string(r.first_row) + ":" + std::to_string(r.last_row) + ":" + std::to_string(r.first_column) + ":" +
         std::to_string(r.last_column);
}
std::string ranges_text(const std::vector<MergedRange>& ranges) {
  std::string text;
  for (const MergedRange& range : ranges) {
    if (!text.empty()) text += ' ';
    text += range_text(range);
  }
  return text;
}
std::string rows_text(const std::vector<RowLook>& rows) {
  std::string text;
  for (const RowLook& row : rows) {
    char line[64];
    std::snprintf(line, sizeof line, "%s%u:%g:%d", text.empty() ? "" : " ", row.row, row.height, row.hidden ? 1 : 0);
    text += line;
  }
  return text;
}
std::string span_text(const LineSpan& span) {
  return span.set ? std::to_string(span.first) + "-" + std::to_string(span.last) : "none";
}

// The workbook openpyxl writes with `script`; empty when it cannot run.
std::string written_by_openpyxl(const std::string& script, std::string& skip_reason) {
#ifdef _WIN32
  (void)script;
  skip_reason = "Python cannot be started from the Windows build";
  return {};
#else
  const std::string folder = ::testing::TempDir();
  const std::string script_path = folder + "sheetlib_look.py";
  const std::string book_path = folder + "sheetlib_look.xlsx";
  std::ofstream(script_path) << "import sys\ntry:\n    import openpyxl\nexcept ImportError:\n    sys.exit(3)\n"
                             << "out = sys.argv[1]\n" << script;
  std::remove(book_path.c_str());
  const int status = std::system((std::string(COLSPLIT_PYTHON) + " " + script_path + " " + book_path).c_str());
  if (status != 0 && WIFEXITED(status) && WEXITSTATUS(status) == 3) skip_reason = "the Python module openpyxl is missing";
  std::ifstream file(book_path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
#endif
}

TEST(Look, DressedWorkbookKeepsEveryItem) {
  std::string skip_reason;
  const std::string bytes = written_by_openpyxl(R"(
from openpyxl.styles import Font, PatternFill, GradientFill, Border, Side, Alignment, Protection, Color
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.worksheet.hyperlink import Hyperlink
from openpyxl.worksheet.page import PageMargins
from openpyxl.formatting.rule import CellIsRule
book = openpyxl.Workbook()
s = book.active
s.title = "My Sheet"
for r in range(1, 11):
    s.append(["r%d" % r, r * 10000, r])
s["A1"].font = Font(name="Arial", size=14, bold=True, italic=True, underline="single", strike=True, color="FF0000")
s["B1"].font = Font(color=Color(theme=4, tint=0.4))
s["A2"].fill = PatternFill("solid", fgColor="FFFF00")
s["B2"].fill = GradientFill(stop=("FF0000", "0000FF"))
s["A3"].border = Border(left=Side("thin", color="FF0000"), diagonal=Side("dashed", color="00FF00"), diagonalUp=True)
s["A4"].alignment = Alignment(wrap_text=True, horizontal="center", indent=2, text_rotation=45, shrink_to_fit=True)
s["A5"].protection = Protection(locked=False, hidden=True)
s["D7"].font = Font(bold=True)
s.row_dimensions[2].height = 30
s.row_dimensions[3].height = 12.5
s.row_dimensions[4].hidden = True
s.column_dimensions["C"].hidden = True
s.freeze_panes = "B3"
s.sheet_view.zoomScale = 85
s.sheet_view.showGridLines = False
s.auto_filter.ref = "A1:C10"
dv = DataValidation(type="list", formula1='"yes,no"', allow_blank=True)
dv.add("C2:C10")
dv.add("E1")
s.add_data_validation(dv)
s.conditional_formatting.add("B1:B10", CellIsRule(operator="greaterThan", formula=["50000"],
                                                  fill=PatternFill("solid", bgColor="FFC7CE")))
s["A6"].hyperlink = "https://example.com/x?a=1&b=2"
s["A7"].hyperlink = Hyperlink(ref="A7", location="'My Sheet'!A1", tooltip="go back", display="back")
s.page_setup.orientation = "landscape"
s.page_margins = PageMargins(left=0.5, right=0.5, top=1, bottom=1)
s.oddHeader.center.text = "Report & more"
s.print_title_rows = "1:2"
s.print_title_cols = "A:B"
s.print_area = "A1:C10"
book.create_chartsheet("Chart")
book.save(out)
)",
                                                skip_reason);
  if (!skip_reason.empty()) GTEST_SKIP() << skip_reason;
  ASSERT_FALSE(bytes.empty()) << "the openpyxl script failed";
  const LookLoad loaded = load_look(bytes);
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  const Look& look = loaded.look();
  const BookLook& book = look.book;
  const SheetLook& sheet = look.sheet;
  ASSERT_EQ(book.cells.size(), loaded.grid.style_formats().size());
  EXPECT_EQ(book.cells.back(), CellLook{});
  // The look of the cell at (row, column), through its style.
  const auto cell = [&](std::uint32_t row, std::uint32_t column) -> const CellLook& {
    return book.cells.at(look.cell_styles.at(row, column));
  };
  const auto item = [](const std::vector<std::string>& list, std::uint32_t index) {
    return index < list.size() ? list[index] : "(none)";
  };
  EXPECT_EQ(loaded.grid.text(9, 0), "r10");

  // Fragments, by what each must hold.
  const struct {
    const char* what;
    std::string fragment;
    std::vector<std::string> holds;
  } fragments[] = {
      {"font A1", item(book.fonts, cell(0, 0).font),
       {"<name val=\"Arial\"/>", "<b val=\"1\"/>", "<i val=\"1\"/>", "<strike val=\"1\"/>", "<sz val=\"14\"/>",
        "<u val=\"single\"/>", "<color rgb=\"00FF0000\"/>"}},
      {"font B1", item(book.fonts, cell(0, 1).font), {"<font><color theme=\"4\" tint=\"0.4\"/></font>"}},
      {"font of a blank cell", item(book.fonts, cell(6, 3).font), {"<font><b val=\"1\"/></font>"}},
      {"solid fill", item(book.fills, cell(1, 0).fill),
       {"<fill><patternFill patternType=\"solid\"><fgColor rgb=\"00FFFF00\"/></patternFill></fill>"}},
      {"gradient fill", item(book.fills, cell(1, 1).fill),
       {"<gradientFill type=\"linear\"><stop position=\"0\"><color rgb=\"00FF0000\"/></stop>"}},
      {"border", item(book.borders, cell(2, 0).border),
       {"<border diagonalUp=\"1\">", "<left style=\"thin\"><color rgb=\"00FF0000\"/></left>",
        "<diagonal style=\"dashed\"><color rgb=\"0000FF00\"/></diagonal>"}},
      {"alignment", cell(3, 0).alignment,
       {"<alignment horizontal=\"center\" textRotation=\"45\" wrapText=\"1\" shrinkToFit=\"1\" indent=\"2\"/>"}},
      {"protection", cell(4, 0).protection, {"<protection locked=\"0\" hidden=\"1\"/>"}},
      {"dxf", item(book.dxfs, 0), {"<dxf><fill><patternFill patternType=\"solid\"><bgColor rgb=\"00FFC7CE\"/>"}},
      {"palette", book.colors, {"<colors><indexedColors><rgbColor rgb=\"00000000\"/>", "</indexedColors></colors>"}},
      {"theme", book.theme, {"theme", "<a:clrScheme"}},
      {"validation", sheet.validations.empty() ? "" : sheet.validations[0].markup,
       {"<dataValidation showErrorMessage=\"1\" showInputMessage=\"1\" allowBlank=\"1\" type=\"list\">"
        "<formula1>\"yes,no\"</formula1></dataValidation>"}},
      {"conditional format", sheet.conditional_formats.empty() ? "" : sheet.conditional_formats[0].markup,
       {"<cfRule type=\"cellIs\" priority=\"1\" operator=\"greaterThan\" dxfId=\"0\"><formula>50000</formula></cfRule>"}},
      {"page setup", sheet.page_setup, {"<pageSetup orientation=\"landscape\"/>"}},
      {"margins", sheet.page_margins, {"<pageMargins left=\"0.5\" right=\"0.5\" top=\"1\" bottom=\"1\""}},
      {"header and footer", sheet.header_footer,
       {"<headerFooter><oddHeader>&amp;CReport &amp; more</oddHeader><oddFooter/>"}},
  };
  for (const auto& expected : fragments) {
    SCOPED_TRACE(expected.what);
    for (const std::string& part : expected.holds) EXPECT_NE(expected.fragment.find(part), std::string::npos) << expected.fragment << "\n lacks " << part;
  }

  const auto link = [&](std::size_t i) {
    if (i >= sheet.links.size()) return std::string("(none)");
    const CellLink& l = sheet.links[i];
    return range_text(l.range) + " " + l.target + "|" + l.location + "|" + l.tooltip + "|" + l.display;
  };
  const struct {
    const char* what;
    std::string got;
    std::string want;
  } values[] = {
      {"rows", rows_text(sheet.rows), "1:30:0 2:12.5:0 3:0:1"},
      {"hidden columns", sheet.hidden_columns.size() == 1 ? std::to_string(sheet.hidden_columns[0].first) + "-" +
                                                                std::to_string(sheet.hidden_columns[0].last) : "?",
       "2-2"},
      {"default row height", std::to_string(sheet.default_row_height), "15.000000"},
      {"frozen", std::to_string(sheet.frozen_rows) + "/" + std::to_string(sheet.frozen_columns), "2/1"},
      {"view", std::to_string(sheet.zoom) + (sheet.gridlines ? " grid" : " no grid") + (sheet.right_to_left ? " rtl" : ""),
       "85 no grid"},
      {"filter", sheet.has_filter ? range_text(sheet.filter) : "none", "0:9:0:2"},
      {"validation ranges", sheet.validations.size() == 1 ? ranges_text(sheet.validations[0].ranges) : "?",
       "1:9:2:2 0:0:4:4"},
      {"format ranges", sheet.conditional_formats.size() == 1 ? ranges_text(sheet.conditional_formats[0].ranges) : "?",
       "0:9:1:1"},
      {"external link", link(0), "5:5:0:0 https://example.com/x?a=1&b=2|||"},
      {"internal link", link(1), "6:6:0:0 |'My Sheet'!A1|go back|back"},
      {"print titles", span_text(sheet.print_title_rows) + " " + span_text(sheet.print_title_columns), "0-1 0-1"},
      {"print area", ranges_text(sheet.print_area), "0:9:0:2"},
      {"blank styled cell", std::to_string(look.cell_styles.at(6, 3) != 0), "1"},
  };
  for (const auto& expected : values) EXPECT_EQ(expected.got, expected.want) << expected.what;
}

const char kStyles[] =
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts><font><sz val=\"11\"/></font><font><b/></font></fonts>"
    "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"0\" fontId=\"1\"/><xf numFmtId=\"14\" fontId=\"7\"/></cellXfs>"
    "</styleSheet>";

// A sheet whose rows carry heights, hidden flags and styled cells with
// and without values; `numbered` rows say which they are.
std::string styled_sheet(int rows, bool numbered, const std::string& in_rows_before) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" state=\"frozen\"/></sheetView></sheetViews>"
      "<sheetData>" + in_rows_before;
  for (int r = 1; r <= rows; ++r) {
    const std::string n = std::to_string(r);
    xml += numbered ? "<row r=\"" + n + "\"" : std::string("<row");
    if (r % 3 == 0) xml += " ht=\"20.25\" customHeight=\"1\"";
    if (r % 7 == 0) xml += " hidden=\"1\"";
    xml += "><c r=\"A" + n + "\" s=\"1\"><v>" + n + "</v></c><c r=\"B" + n + "\" s=\"2\"/><c r=\"C" + n + "\" s=\"" +
           std::to_string(r % 3) + "\"/><c r=\"D" + n + "\" t=\"inlineStr\"><is><t>t</t></is></c></row>";
  }
  return xml + "</sheetData><pageSetup orientation=\"landscape\" r:id=\"rId9\" "
               "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"/></worksheet>";
}

// Scanned, read by expat alone, in pieces, and large but whole: the same
// styles and rows, and the same items around the rows.
TEST(Look, EveryRouteKeepsTheSameStylesAndRows) {
  const struct {
    const char* route;
    int rows;
    bool numbered;
    const char* before_rows;
    bool pieces;
  } routes[] = {
      {"scanned", 20'000, true, "", false},
      {"expat alone", 20'000, true, "<!-- a comment the scanner declines -->", false},
      {"in pieces", 60'000, true, "", true},
      {"large, whole", 60'000, false, "", false},
  };
  std::vector<StyleRun> reference_runs;
  std::vector<RowLook> reference_rows;
  for (const auto& route : routes) {
    SCOPED_TRACE(route.route);
    const std::string sheet = styled_sheet(route.rows, route.numbered, route.before_rows);
    const LookLoad loaded = load_look(make_workbook(sheet, "", kStyles));
    ASSERT_EQ(loaded.status, ReadStatus::ok);
    EXPECT_EQ(loaded.cost.sheet_pieces > 0, route.pieces);
    const Look& look = loaded.look();
    EXPECT_EQ(look.sheet.frozen_rows, 1u);
    EXPECT_EQ(look.sheet.page_setup, "<pageSetup orientation=\"landscape\"/>");
    EXPECT_EQ(look.cell_styles.at(5, 0), 1u);
    EXPECT_EQ(look.cell_styles.at(5, 1), 2u);  // blank
    EXPECT_EQ(look.cell_styles.at(4, 2), 2u);
    EXPECT_EQ(look.cell_styles.at(5, 3), 0u);
    ASSERT_GE(look.sheet.rows.size(), 3u);
    EXPECT_EQ(look.sheet.rows[0], (RowLook{2, 20.25, false}));
    EXPECT_EQ(look.sheet.rows[2], (RowLook{6, 0, true}));
    EXPECT_EQ(look.book.cells[2].font, 0u);  // past the fonts
    // The first 20,000 rows alike on every route.
    std::vector<StyleRun> runs;
    for (const StyleRun& run : look.cell_styles.runs())
      if (run.row < 20'000) runs.push_back(run);
    std::vector<RowLook> rows;
    for (const RowLook& row : look.sheet.rows)
      if (row.row < 20'000) rows.push_back(row);
    if (reference_runs.empty()) {
      reference_runs = runs;
      reference_rows = rows;
    }
    EXPECT_EQ(runs, reference_runs);
    EXPECT_EQ(rows, reference_rows);
  }
}

// Damage in one item leaves that item out: a style past the list, a theme
// that is not XML, a sqref that is no range. The rest, values included,
// is read; the print area belongs to the sheet by its place among all
// sheets, a chart sheet before it counted.
TEST(Look, DamagedItemsAreLeftOutAlone) {
  std::vector<Part> parts = workbook_parts(
      sheet_xml("<row r=\"1\"><c r=\"A1\" s=\"99\"><v>5</v></c><c r=\"B1\" s=\"99\"/><c r=\"C1\" s=\"1\"/></row>",
                "") ,
      "", kStyles, "<definedNames><definedName name=\"_xlnm.Print_Area\" localSheetId=\"1\">Sheet1!$A$1:$B$2"
                   "</definedName><definedName name=\"_xlnm.Print_Titles\" localSheetId=\"1\">#REF!</definedName>"
                   "</definedNames>");
  for (Part& part : parts) {
    if (part.name == "xl/workbook.xml") {
      const std::size_t at = part.data.find("<sheet ");
      part.data.insert(at, "<sheet name=\"Chart\" sheetId=\"2\" r:id=\"rId7\"/>");
    } else if (part.name == "xl/_rels/workbook.xml.rels") {
      const std::size_t at = part.data.find("</Relationships>");
      part.data.insert(at,
                       "<Relationship Id=\"rId7\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                       "relationships/chartsheet\" Target=\"chartsheets/sheet1.xml\"/>"
                       "<Relationship Id=\"rId8\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                       "relationships/theme\" Target=\"theme/theme1.xml\"/>");
    } else if (part.name == "xl/worksheets/sheet1.xml") {
      const std::size_t at = part.data.find("</worksheet>");
      part.data.insert(at,
                       "<dataValidations><dataValidation sqref=\"A1:ZZZZ9\" type=\"list\"/>"
                       "<dataValidation sqref=\"B1\" type=\"whole\"/></dataValidations>"
                       "<hyperlinks><hyperlink ref=\"A1\" r:id=\"rId5\"/><hyperlink ref=\"nowhere\"/></hyperlinks>");
    }
  }
  parts.push_back({"xl/theme/theme1.xml", "<a:theme>not closed"});
  const LookLoad loaded = load_look(make_zip(parts));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  const Look& look = loaded.look();
  EXPECT_EQ(loaded.grid.text(0, 0), "5");
  const std::uint32_t general = static_cast<std::uint32_t>(loaded.grid.style_formats().size() - 1);
  EXPECT_EQ(look.cell_styles.at(0, 0), general);
  EXPECT_EQ(look.cell_styles.at(0, 1), general);
  EXPECT_EQ(look.cell_styles.at(0, 2), 1u);
  EXPECT_EQ(look.book.cells.at(general), CellLook{});
  EXPECT_TRUE(look.book.theme.empty());
  ASSERT_EQ(look.sheet.validations.size(), 1u);
  EXPECT_EQ(look.sheet.validations[0].markup, "<dataValidation type=\"whole\"/>");
  ASSERT_EQ(look.sheet.links.size(), 1u);  // the missing relationship leaves the target empty
  EXPECT_EQ(look.sheet.links[0].target, "");
  EXPECT_EQ(ranges_text(look.sheet.print_area), "0:1:0:1");
  EXPECT_FALSE(look.sheet.print_title_rows.set);
}

}  // namespace
}  // namespace sheetlib::testing
