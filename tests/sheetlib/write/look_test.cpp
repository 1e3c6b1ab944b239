// A package carrying a look, as openpyxl and LibreOffice read it.
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sheetlib/api/host_python.h"
#include "text/whole_files.h"
#include "sheetlib/support/scratch_folder.h"
#include "sheetlib/write/parts.h"

namespace sheetlib {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using colsplit::write_file_atomically;

constexpr char kTheme[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" name=\"T\"><a:themeElements>"
    "<a:clrScheme name=\"C\"><a:dk1><a:sysClr val=\"windowText\" lastClr=\"000000\"/></a:dk1>"
    "<a:lt1><a:sysClr val=\"window\" lastClr=\"FFFFFF\"/></a:lt1><a:dk2><a:srgbClr val=\"1F497D\"/></a:dk2>"
    "<a:lt2><a:srgbClr val=\"EEECE1\"/></a:lt2><a:accent1><a:srgbClr val=\"4F81BD\"/></a:accent1>"
    "<a:accent2><a:srgbClr val=\"C0504D\"/></a:accent2><a:accent3><a:srgbClr val=\"9BBB59\"/></a:accent3>"
    "<a:accent4><a:srgbClr val=\"8064A2\"/></a:accent4><a:accent5><a:srgbClr val=\"4BACC6\"/></a:accent5>"
    "<a:accent6><a:srgbClr val=\"F79646\"/></a:accent6><a:hlink><a:srgbClr val=\"0000FF\"/></a:hlink>"
    "<a:folHlink><a:srgbClr val=\"800080\"/></a:folHlink></a:clrScheme>"
    "<a:fontScheme name=\"F\"><a:majorFont><a:latin typeface=\"Cambria\"/><a:ea typeface=\"\"/>"
    "<a:cs typeface=\"\"/></a:majorFont><a:minorFont><a:latin typeface=\"Candara\"/><a:ea typeface=\"\"/>"
    "<a:cs typeface=\"\"/></a:minorFont></a:fontScheme><a:fmtScheme name=\"M\"><a:fillStyleLst>"
    "<a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill><a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill>"
    "<a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill></a:fillStyleLst><a:lnStyleLst>"
    "<a:ln w=\"9525\"><a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill></a:ln>"
    "<a:ln w=\"25400\"><a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill></a:ln>"
    "<a:ln w=\"38100\"><a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill></a:ln></a:lnStyleLst>"
    "<a:effectStyleLst><a:effectStyle><a:effectLst/></a:effectStyle><a:effectStyle><a:effectLst/></a:effectStyle>"
    "<a:effectStyle><a:effectLst/></a:effectStyle></a:effectStyleLst><a:bgFillStyleLst>"
    "<a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill><a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill>"
    "<a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill></a:bgFillStyleLst></a:fmtScheme></a:themeElements>"
    "</a:theme>";

// Two sheets with every item of a look, and a format of today's kind among
// the loaded ones. The first sheet's cells: A1 text, B2 number, C3 text.
class LookPackage : public ::testing::Test {
 protected:
  void SetUp() override {
    look_.fonts = {"<font><b/><sz val=\"12\"/><color rgb=\"FFFF0000\"/><name val=\"Arial\"/></font>",
                   "<font><i/><sz val=\"10\"/><name val=\"Arial\"/></font>"};
    look_.fills = {"<fill><patternFill patternType=\"none\"/></fill>",
                   "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFFF00\"/><bgColor indexed=\"64\"/>"
                   "</patternFill></fill>"};
    look_.borders = {"<border><left style=\"thin\"><color rgb=\"FF000000\"/></left><right style=\"medium\"/><top/>"
                     "<bottom style=\"double\"/><diagonal/></border>"};
    look_.dxfs = {"<dxf><font><color rgb=\"FF9C0006\"/></font></dxf>"};
    look_.colors = "<colors><mruColors><color rgb=\"FF123456\"/></mruColors></colors>";
    look_.theme = kTheme;
    cells_ = {{1, 1, 0, "<alignment horizontal=\"center\" wrapText=\"1\"/>", "<protection locked=\"0\"/>"},
              {0, 0, 0, "", ""}};
    formats_ = {{0, 14, &cells_[0]}, {0, 164, &cells_[1]}, {1, 0, nullptr}};

    first_.set_cell(0, 0, strings_.intern("text"), 1);
    first_.set_number(1, 1, 42, 2);
    first_.set_cell(2, 2, strings_.intern("plain"), 3);
    SheetLook& look = first_.look();
    look.rows = {{6, 25, true}, {1, 30, false}, {4, 0, true}, {0, 0, false}, {1, 99, true}};
    look.default_row_height = 18;
    look.default_column_width = 12;
    look.frozen_rows = 1;
    look.frozen_columns = 2;
    look.zoom = 85;
    look.gridlines = false;
    look.right_to_left = true;
    look.filter = {0, 9, 0, 2};
    look.has_filter = true;
    look.validations = {
        {{{1, 8, 0, 0}, {4, 4, 2, 2}},
         "<dataValidation type=\"list\" allowBlank=\"1\"><formula1>\"a,b\"</formula1></dataValidation>"},
        {{{1, 8, 1, 1}},
         "<dataValidation type=\"whole\" operator=\"between\"><formula1>1</formula1><formula2>9</formula2>"
         "</dataValidation>"},
        {{{0, kMaxRows, 0, 0}}, "<dataValidation type=\"whole\"/>"},  // beyond the sheet: left out
    };
    look.conditional_formats = {
        {{{0, 2, 0, 2}}, "<cfRule type=\"cellIs\" dxfId=\"0\" priority=\"1\" operator=\"greaterThan\">"
                         "<formula>5</formula></cfRule>"}};
    look.links = {{{0, 0, 0, 0}, "https://example.com/a?b=1&c=2", "", "tip", ""},
                  {{1, 1, 1, 1}, "", "'It''s'!A1", "", "go"},
                  {{2, 2, 2, 2}, "", "", "", "nowhere"}};  // neither target nor place: left out
    look.print_options = "<printOptions gridLines=\"1\"/>";
    look.page_margins = "<pageMargins left=\"0.5\" right=\"0.5\" top=\"1\" bottom=\"1\" header=\"0.4\" footer=\"0.4\"/>";
    look.page_setup = "<pageSetup paperSize=\"9\" orientation=\"landscape\"/>";
    look.header_footer = "<headerFooter><oddHeader>&amp;CTitle</oddHeader></headerFooter>";
    look.print_title_rows = {0, 1, true};
    look.print_title_columns = {0, 1, true};
    look.print_area = {{0, 9, 0, 2}, {0, 4, 4, 5}};

    // A sheet of rows and names only, no cells.
    SheetLook& other = second_.look();
    other.rows = {{2, 40, false}};
    other.frozen_columns = 1;
    other.filter = {0, 0, 0, 0};
    other.has_filter = true;
    other.print_title_rows = {2, 2, true};
  }

  std::string package() {
    return build_package({{"First", &first_}, {"It's", &second_}}, strings_, formats_, {"0.000"}, look_);
  }

  BookLook look_;
  std::vector<CellLook> cells_;
  std::vector<CellFormatToWrite> formats_;
  SharedStrings strings_;
  SheetContent first_;
  SheetContent second_;
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

TEST_F(LookPackage, ReadsBackInOpenpyxl) {
  colsplit::testing::ScratchFolder folder;
  const std::string path = folder.gbk_path("look.xlsx");
  ASSERT_TRUE(write_file_atomically(path, package()));
  // The reading script lies beside this test; run_python looks in the API tests' folder.
  const std::optional<std::string> output = colsplit::testing::run_python("../write/look_read_back.py", path);
  if (!output) GTEST_SKIP() << "Python cannot be started from here";
  const std::vector<std::string> lines = lines_of(*output);
  const char* const expected[] = {
      "parts [Content_Types].xml _rels/.rels docProps/app.xml xl/_rels/workbook.xml.rels xl/sharedStrings.xml "
      "xl/styles.xml xl/theme/theme1.xml xl/workbook.xml xl/worksheets/_rels/sheet1.xml.rels "
      "xl/worksheets/sheet1.xml xl/worksheets/sheet2.xml",
      "default font Candara minor",
      "styles numFmts fonts fills borders cellStyleXfs cellXfs cellStyles dxfs colors",
      "name _xlnm._FilterDatabase 0 1 'First'!$A$1:$C$10",
      "name _xlnm._FilterDatabase 1 1 'It''s'!$A$1:$A$1",
      "name _xlnm.Print_Area 0 None 'First'!$A$1:$C$10,'First'!$E$1:$F$5",
      "name _xlnm.Print_Titles 0 None 'First'!$A:$B,'First'!$1:$2",
      "name _xlnm.Print_Titles 1 None 'It''s'!$3:$3",
      "theme True",
      "sheet First",
      // Font, fill, border and alignment of a loaded format; a fill that is
      // no fill refers to the part's own; today's kind of format beside them.
      "cell A1 font Arial 10.0 - italic None fill solid FFFFFF00 border thin/medium/None/double "
      "align center True locked False format mm-dd-yy",
      "cell B2 font Arial 12.0 bold - FFFF0000 fill None 00000000 border thin/medium/None/double "
      "align None None locked True format 0.000",
      "cell C3 font Candara 11.0 - - None fill None 00000000 border thin/thin/thin/thin "
      "align None None locked True format General",
      "link A1 https://example.com/a?b=1&c=2 None tip None",
      "link B2 None 'It''s'!A1 None go",
      "row 2 30.0 False",
      "row 5 None True",
      "row 7 25.0 True",
      "defaults 18.0 True 12.0",
      "view C2 85 False True True",
      "filter A1:C10",
      "validation list A2:A9 C5 \"a,b\"",
      "validation whole B2:B9 1",
      "rule A1:C3 cellIs greaterThan ['5'] FF9C0006",
      "print landscape 9 0.5 1.0 True Title",
      "titles $1:$2 $A:$B ['$A$1:$C$10', '$E$1:$F$5']",
      "sheet It's",
      "row 3 40.0 False",
      "defaults 15.0 None None",
      "view B1 None None None None",
      "filter A1",
      "print None None 0.7 0.75 None None",
      "titles $3:$3 None None",
  };
  for (const char* line : expected) EXPECT_THAT(lines, Contains(std::string(line))) << *output;
  EXPECT_THAT(*output, Not(HasSubstr("malformed")));
  EXPECT_THAT(*output, Not(HasSubstr("nowhere")));
  EXPECT_THAT(*output, Not(HasSubstr("Traceback")));
}

TEST_F(LookPackage, OpensInLibreOffice) {
#ifdef _WIN32
  // The package is the same bytes on every platform; LibreOffice started
  // through Wine would take longer than the host's Python is waited for.
  GTEST_SKIP() << "checked by the native build";
#endif
  colsplit::testing::ScratchFolder folder;
  const std::string path = folder.gbk_path("look.xlsx");
  ASSERT_TRUE(write_file_atomically(path, package()));
  const std::optional<std::string> output = colsplit::testing::run_python("../write/look_in_libreoffice.py", path);
  if (!output) GTEST_SKIP() << "Python cannot be started from here";
  if (output->starts_with("skipped")) GTEST_SKIP() << "LibreOffice is not installed";
  EXPECT_EQ(*output, "exit 0\ntext,,\n,42.000,\n,,plain\n");
}

// The part made whole and piece by piece is the same, rows without cells
// among the others; its elements keep the schema's order.
TEST_F(LookPackage, WorksheetStreamedAlikeInSchemaOrder) {
  first_.set_cell(9, 0, strings_.intern("after the rows"), 0);
  const std::string whole = worksheet_part(first_, true);
  WorksheetStream stream(first_, true);
  std::string pieces;
  for (std::string piece; stream.next(piece, 16); piece.clear()) pieces += piece;
  EXPECT_EQ(pieces, whole);
  EXPECT_THAT(whole, HasSubstr("<row r=\"1\"><c r=\"A1\" s=\"1\" t=\"s\"><v>0</v></c></row>"
                               "<row r=\"2\" ht=\"30\" customHeight=\"1\"><c r=\"B2\" s=\"2\"><v>42</v></c></row>"
                               "<row r=\"3\"><c r=\"C3\" s=\"3\" t=\"s\"><v>1</v></c></row><row r=\"5\" hidden=\"1\"/>"
                               "<row r=\"7\" ht=\"25\" hidden=\"1\" customHeight=\"1\"/><row r=\"10\">"));
  EXPECT_THAT(whole, HasSubstr("<sheetView showGridLines=\"0\" rightToLeft=\"1\" tabSelected=\"1\" zoomScale=\"85\" "
                               "zoomScaleNormal=\"85\" workbookViewId=\"0\"><pane xSplit=\"2\" ySplit=\"1\" "
                               "topLeftCell=\"C2\" activePane=\"bottomRight\" state=\"frozen\"/>"));
  std::size_t last = 0;
  for (const char* element :
       {"<dimension", "<sheetViews>", "<sheetFormatPr", "<sheetData>", "<autoFilter", "<conditionalFormatting",
        "<dataValidations count=\"2\">", "<hyperlinks>", "<printOptions", "<pageMargins", "<pageSetup",
        "<headerFooter>", "</worksheet>"}) {
    const std::size_t at = whole.find(element);
    ASSERT_NE(at, std::string::npos) << element;
    EXPECT_GT(at, last) << element;
    last = at;
  }
}

}  // namespace
}  // namespace sheetlib
