// The look an .xls load keeps when the grid asks for it: a workbook dressed
// with openpyxl and saved as .xls by LibreOffice must give back the fonts,
// fills, borders, alignments, rows, columns and print setup it was given
// (not its view: LibreOffice converting without a window writes its
// defaults there, so hand-made records carry the view); hand-made damage
// costs the look only, never the values.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "libreoffice_view.h"
#include "sheetlib/core/sheet_look.h"
#include "sheetlib/xls/cell_looks.h"
#include "sheetlib/xls/xls_reader.h"
#include "test_package.h"
#include "xls_maker.h"

namespace sheetlib::testing {
namespace {

struct Read {
  ReadStatus status = ReadStatus::ok;
  CellGrid grid;
};

Read read_with_look(const std::string& bytes) {
  Read read;
  read.grid.want_look();
  std::vector<std::string> names;
  read.status = xls::read_xls_worksheet(bytes, 0, read.grid, names, ReadLimits{});
  return read;
}

// The fragment with every indexed="N" made rgb="FFRRGGBB" through the
// book's palette (the standard one when it has none).
std::string resolved(const BookLook& book, const std::string& fragment) {
  std::vector<std::string> palette;
  const std::regex entry("rgb=\"([0-9A-F]{8})\"");
  for (std::sregex_iterator at(book.colors.begin(), book.colors.end(), entry), end; at != end; ++at)
    palette.push_back((*at)[1]);
  if (palette.empty()) {
    for (const char* fixed : {"000000", "FFFFFF", "FF0000", "00FF00", "0000FF", "FFFF00", "FF00FF", "00FFFF"})
      palette.push_back(std::string("FF") + fixed);
    for (const std::uint32_t rgb : xls::kDefaultPalette) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "FF%06X", static_cast<unsigned>(rgb));
      palette.push_back(hex);
    }
  }
  std::string out;
  const std::regex indexed("indexed=\"([0-9]+)\"");
  std::sregex_iterator at(fragment.begin(), fragment.end(), indexed), end;
  std::size_t copied = 0;
  for (; at != end; ++at) {
    const std::size_t index = std::stoul((*at)[1]);
    out.append(fragment, copied, static_cast<std::size_t>(at->position()) - copied);
    out += index < palette.size() ? "rgb=\"" + palette[index] + "\"" : at->str();
    copied = static_cast<std::size_t>(at->position() + at->length());
  }
  return out + fragment.substr(copied);
}

// The folder the script wrote into, or why there is nothing to read.
struct Dressed {
  std::string folder;
  std::string skip_reason;
};

const Dressed& dressed() {
  static const Dressed made = [] {
    Dressed result;
#ifdef _WIN32
    result.skip_reason = "LibreOffice cannot be started from the Windows build";
#else
    result.folder = ::testing::TempDir() + "sheetlib_xls_dressed";
    const int status = std::system((std::string(COLSPLIT_PYTHON) + " " + COLSPLIT_SOURCE_DIR +
                                    "/tests/sheetlib/xls/make_dressed_book.py " + result.folder)
                                       .c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) result.skip_reason = "openpyxl or LibreOffice is missing";
#endif
    return result;
  }();
  return made;
}

// The workbook as LibreOffice saves it (BIFF8), and as Gnumeric saves it
// for Excel 95 (BIFF5, whose XF records have no diagonal, indent, shrinking
// or free rotation).
class DressedWorkbook : public ::testing::TestWithParam<const char*> {};

TEST_P(DressedWorkbook, KeepsItsLook) {
  const Dressed& made = dressed();
  if (!made.skip_reason.empty()) GTEST_SKIP() << made.skip_reason;
  const std::string path = made.folder + "/" + GetParam() + ".xls";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " could not be written here";
  const bool biff5 = std::string(GetParam()) == "dressed95";
  Read read = read_with_look(file_bytes(path));
  ASSERT_EQ(read.status, ReadStatus::ok);
  ASSERT_NE(read.grid.look(), nullptr);
  const Look& look = *read.grid.look();
  const BookLook& book = look.book;
  ASSERT_EQ(book.cells.size(), read.grid.style_formats().size());

  // Each group of a cell's style, its colours resolved.
  const auto part = [&](std::uint32_t row, std::uint32_t column, char group) -> std::string {
    const std::uint32_t style = look.cell_styles.at(row, column);
    if (style >= book.cells.size()) return "(no style)";
    const CellLook& cell = book.cells[style];
    switch (group) {
      case 'f': return cell.font < book.fonts.size() ? resolved(book, book.fonts[cell.font]) : "(no font)";
      case 'p': return cell.fill < book.fills.size() ? resolved(book, book.fills[cell.fill]) : "(no fill)";
      case 'b': return cell.border < book.borders.size() ? resolved(book, book.borders[cell.border]) : "(no border)";
      case 'a': return cell.alignment;
      default: return cell.protection;
    }
  };
  const auto lines = [](const LineSpan& span) {
    return span.set ? std::to_string(span.first) + "-" + std::to_string(span.last) : std::string("none");
  };
  const auto range = [](const MergedRange& r) {
    return std::to_string(r.first_row) + "," + std::to_string(r.first_column) + ":" + std::to_string(r.last_row) +
           "," + std::to_string(r.last_column);
  };
  std::string rows, hidden_columns, print_area;
  for (const RowLook& row : look.sheet.rows)
    rows += std::to_string(row.row) + "=" + std::to_string(row.height) + (row.hidden ? "h " : " ");
  for (const HiddenColumns& columns : look.sheet.hidden_columns)
    hidden_columns += std::to_string(columns.first) + "-" + std::to_string(columns.last) + " ";
  for (const MergedRange& r : look.sheet.print_area) print_area += range(r) + " ";
  std::string validations;
  for (const RangedItem& item : look.sheet.validations) {
    for (const MergedRange& r : item.ranges) validations += range(r) + " ";
    validations += item.markup + "\n";
  }
  std::string rules;
  for (const RangedItem& item : look.sheet.conditional_formats) {
    for (const MergedRange& r : item.ranges) rules += range(r) + " ";
    rules += resolved(book, item.markup) + "\n";
  }
  for (const std::string& dxf : book.dxfs) rules += resolved(book, dxf) + "\n";
  std::string links;
  for (const CellLink& link : look.sheet.links)
    links += range(link.range) + " " + link.target + "|" + link.location + "|" + link.display + "\n";

  // What each item holds (found in it when `contains`, else equal to it).
  struct Check {
    const char* what;
    std::string actual;
    std::string expected;
    bool contains = true;
    bool biff8 = false;  // BIFF5 cannot hold it, or Gnumeric leaves it out there
  };
  const Check checks[] = {
      {"A1 font", part(0, 0, 'f'), "<font><b/><i/><sz val=\"14\"/><color rgb=\"FFFF0000\"/><name val=\"Arial\"/>"},
      {"B1 font strike", part(0, 1, 'f'), "<strike/><u/><sz val=\"9\"/><color rgb=\"FF0000FF\"/>"},
      {"B1 font name", part(0, 1, 'f'), "<name val=\"Times New Roman\"/>"},
      {"B2 font", part(1, 1, 'f'), "<u val=\"double\"/>"},
      {"C1 fill", part(0, 2, 'p'), "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFFF00\"/>"},
      {"C1 border", part(0, 2, 'b'),
       "<border diagonalUp=\"1\" diagonalDown=\"1\"><left style=\"thin\"><color rgb=\"FFFF0000\"/></left><right/>"
       "<top/><bottom style=\"double\"><color rgb=\"FF000000\"/></bottom><diagonal style=\"thin\"><color "
       "rgb=\"FF0000FF\"/></diagonal></border>",
       false, true},
      {"D1 alignment", part(0, 3, 'a'), "<alignment horizontal=\"center\" vertical=\"top\" wrapText=\"1\"/>", false},
      {"E1 alignment", part(0, 4, 'a'), "<alignment horizontal=\"left\" indent=\"2\"/>", false, true},
      {"F1 alignment", part(0, 5, 'a'), "textRotation=\"45\" shrinkToFit=\"1\"/>", true, true},
      {"F1 protection", part(0, 5, 'r'), "<protection locked=\"0\" hidden=\"1\"/>", false, true},
      {"A3 plain", part(2, 0, 'a') + part(2, 0, 'r') + part(2, 0, 'b'),
       "<border><left/><right/><top/><bottom/><diagonal/></border>", false},
      {"H3 blank fill", part(2, 7, 'p'), "<fgColor rgb=\"FF00FFFF\"/>"},
      {"H3 blank border", part(2, 7, 'b'),
       "<right style=\"dashed\"><color rgb=\"FF00FF00\"/></right><top style=\"medium\"><color rgb=\"FF00FF00\"/>"},
      {"H3 has no value", read.grid.has_value(2, 7) ? "value" : "none", "none", false},
      {"rows", rows, "2=30.000000 4=0.000000h"},
      {"hidden columns", hidden_columns, "3-3 ", false},
      {"print options", look.sheet.print_options, "horizontalCentered=\"1\"", true, true},
      {"margins", look.sheet.page_margins,
       "<pageMargins left=\"0.5\" right=\"0.6\" top=\"0.7\" bottom=\"0.8\" header=\"0.2"},
      {"footer margin", look.sheet.page_margins, "footer=\"0.25\"/>"},
      {"paper", look.sheet.page_setup, "paperSize=\"9\""},
      {"orientation", look.sheet.page_setup, "orientation=\"landscape\""},
      {"header", look.sheet.header_footer, "<oddHeader>&amp;CQuarter &lt;1&gt;</oddHeader>"},
      {"footer", look.sheet.header_footer, "<oddFooter>&amp;RPage &amp;P</oddFooter>"},
      {"print titles", lines(look.sheet.print_title_rows) + " " + lines(look.sheet.print_title_columns), "0-1 none",
       false},
      {"print area", print_area, "0,0:9,5 ", false},
      {"filter", look.sheet.has_filter ? range(look.sheet.filter) : "none", "1,0:10,5", false},
      {"links", links, "11,0:11,0 https://example.com/a?b=1&c=2||site\n11,1:11,1 |Look!A1|home\n", false, true},
      {"validations", validations,
       "12,0:14,0 <dataValidation type=\"list\" allowBlank=\"1\" showInputMessage=\"1\" showErrorMessage=\"1\" "
       "promptTitle=\"Colour\" prompt=\"Pick one\"><formula1>\"Red,Green,Blue\"</formula1></dataValidation>\n"
       "12,1:13,1 12,3:12,3 14,1:14,1 <dataValidation type=\"whole\" errorStyle=\"warning\" showInputMessage=\"1\" "
       "showErrorMessage=\"1\" errorTitle=\"Count\" error=\"1 to 10 &lt;only&gt;\"><formula1>1</formula1>"
       "<formula2>10</formula2></dataValidation>\n"
       "12,2:12,2 <dataValidation type=\"decimal\" operator=\"greaterThan\" showInputMessage=\"1\" "
       "showErrorMessage=\"1\"><formula1>-2.5</formula1></dataValidation>\n",
       false, true},
      {"conditional formats", rules,
       "1,2:10,5 <cfRule type=\"cellIs\" dxfId=\"0\" priority=\"1\" operator=\"greaterThan\"><formula>100</formula>"
       "</cfRule><cfRule type=\"cellIs\" dxfId=\"1\" priority=\"2\" operator=\"between\"><formula>20</formula>"
       "<formula>30</formula></cfRule>\n<dxf><font><b/><color rgb=\"FFFF0000\"/></font><fill><patternFill "
       "patternType=\"solid\"><fgColor rgb=\"FFFFFF00\"/><bgColor rgb=\"FFFFFF00\"/></patternFill></fill></dxf>\n"
       "<dxf><font><i/></font></dxf>\n",
       false, true},
      {"values", std::string(read.grid.text(0, 0)) + "," + std::string(read.grid.text(0, 2)), "Bold,3.5", false},
  };
  for (const Check& check : checks) {
    if (biff5 && check.biff8) continue;
    if (check.contains) {
      EXPECT_NE(check.actual.find(check.expected), std::string::npos)
          << check.what << ": " << check.actual << "\nlacks " << check.expected;
    } else {
      EXPECT_EQ(check.actual, check.expected) << check.what;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Xls, DressedWorkbook, ::testing::Values("dressed", "dressed95"));

// Damaged and hostile records: the load succeeds, the values stay, the
// look falls back to the first font, no style, or the record left out.
TEST(XlsLook, DamagedRecordsCostTheLookOnly) {
  const auto font = [](std::uint16_t height, std::u16string_view name) {
    return biff(0x0031, u16le(height) + u16le(0) + u16le(0x7FFF) + u16le(400) + u16le(0) + std::string(4, '\0') +
                            xl_short_string(name));
  };
  // A BIFF8 XF naming a font, with a solid red fill and a thin left border.
  const auto xf = [](std::uint16_t font_index) {
    return biff(0x00E0, u16le(font_index) + u16le(0) + u16le(0x0001) + std::string(1, '\x20') + '\0' + '\0' +
                            std::string(1, '\xFC') + u16le(0x0001) + u16le(0x000A) + u32le(0x04000000) +
                            u16le(0x000A));
  };
  const std::string fonts = font(200, u"Arial") + font(240, u"Verdana");
  const std::string cells = number(0, 0, 1.5, 1) + blank(0, 1, 1) + label(1, 0, u"text", 1);
  // Row 2 30 points high, then the view: two rows and a column frozen,
  // right to left without gridlines, zoomed to 17/20.
  const std::string row =
      biff(0x0208, u16le(1) + u16le(0) + u16le(2) + u16le(600) + u32le(0) + u16le(0x0040) + u16le(0x000F)) +
      biff(0x023E, u16le(0x0148) + u16le(0) + u16le(0) + u32le(0) + u16le(0) + u16le(0) + u32le(0)) +
      biff(0x0041, u16le(1) + u16le(2) + u16le(2) + u16le(1) + u16le(0)) + biff(0x00A0, u16le(17) + u16le(20));
  // A conditional format of one rule over A1:B2.
  const std::string condfmt =
      biff(0x01B0, u16le(1) + u16le(0) + std::string(8, '\0') + u16le(1) + u16le(0) + u16le(1) + u16le(0) + u16le(1));
  struct Case {
    const char* what;
    std::string globals;
    std::string sheet;
    std::uint32_t style;         // of A1
    std::string font;            // of A1's style: a text it holds
    std::size_t rows;            // RowLook items
    const char* fill = "solid";  // A1's fill: a text it holds
    const char* view = "2,1,85,off,rtl";
  };
  const Case cases[] = {
      {"sound", fonts + xf(0) + xf(1), row + cells, 1, "Verdana", 1},
      {"font index past the list", fonts + xf(0) + xf(77), row + cells, 1, "Arial", 1},
      {"font index 4, which no record has", fonts + xf(0) + xf(4), row + cells, 1, "Arial", 1},
      {"XF index past the XFs", fonts + xf(0), row + cells, 0, "Arial", 1},
      {"truncated FONT", biff(0x0031, "\x10\x00") + fonts + xf(0) + xf(1), row + cells, 1, "Verdana", 1},
      {"truncated XF", fonts + xf(0) + biff(0x00E0, "\x01\x00"), row + cells, 1, "Arial", 1, "none"},
      {"truncated ROW", fonts + xf(0) + xf(1), biff(0x0208, "\x01\x00\x00") + cells, 1, "Verdana", 0, "solid",
       "0,0,100,on,ltr"},
      {"truncated sheet records", fonts + xf(0) + xf(1),
       biff(0x023E, "") + biff(0x00A1, "\x01") + biff(0x0014, "\x05\x00\x01") + biff(0x00BE, "\x00") +
           condfmt + biff(0x01B1, std::string("\x01\x05\x03\x00\x00\x00", 6) + u32le(0x24000000) + u16le(0) +
                                      "ab" + std::string("\x1E\x64\x00", 3)) +
           cells,
       1,
       "Verdana", 0, "solid", "0,0,100,on,ltr"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Read read = read_with_look(make_xls(one_sheet_stream(c.sheet, c.globals)));
    ASSERT_EQ(read.status, ReadStatus::ok);
    EXPECT_EQ(grid_rows(read.grid), (std::vector<std::vector<std::string>>{{"1.5"}, {"text"}}));
    const Look& look = *read.grid.look();
    ASSERT_EQ(look.book.cells.size(), read.grid.style_formats().size());
    EXPECT_EQ(look.cell_styles.at(0, 0), c.style);
    EXPECT_EQ(look.cell_styles.at(0, 1), c.style);  // the blank cell
    EXPECT_EQ(look.sheet.rows.size(), c.rows);
    const CellLook& cell = look.book.cells[c.style];
    ASSERT_LT(cell.font, look.book.fonts.size());
    EXPECT_NE(look.book.fonts[cell.font].find(c.font), std::string::npos) << look.book.fonts[cell.font];
    EXPECT_EQ(std::to_string(look.sheet.frozen_rows) + "," + std::to_string(look.sheet.frozen_columns) + "," +
                  std::to_string(look.sheet.zoom) + (look.sheet.gridlines ? ",on" : ",off") +
                  (look.sheet.right_to_left ? ",rtl" : ",ltr"),
              c.view);
    ASSERT_LT(cell.fill, look.book.fills.size());
    EXPECT_NE(look.book.fills[cell.fill].find(c.fill), std::string::npos) << look.book.fills[cell.fill];
  }
}

}  // namespace
}  // namespace sheetlib::testing
