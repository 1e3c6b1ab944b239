// Which .xls worksheet is read, the names of all, and what a sheet holds
// besides its texts: typed values and their styles' number formats, merged
// ranges, column widths; on workbooks made by hand and one xlwt writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "libreoffice_view.h"
#include "test_package.h"
#include "xls_maker.h"

namespace sheetlib::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using Names = std::vector<std::string>;

struct Sheet {
  ReadStatus status;
  CellGrid grid;
  Names names;
};

Sheet read_sheet(const std::string& file, int index) {
  Sheet sheet{ReadStatus::ok, {}, {}};
  sheet.status = read_worksheet(file, index, sheet.grid, &sheet.names);
  return sheet;
}

Sheet read_cells(const std::string& cells, const std::string& globals = "") {
  return read_sheet(make_xls(one_sheet_stream(cells, globals)), 0);
}

std::uint32_t rk_of_integer(std::int32_t value) { return static_cast<std::uint32_t>(value) << 2 | 2u; }

TEST(SheetChoice, ByIndexAmongTheWorksheetsWithTheNamesOfAll) {
  const std::string dialog_flag = biff(0x0081, std::string("\x11\x04", 2));
  const std::string tabs = make_xls(workbook_stream(
      "", {{number(0, 0, 1), kChartSheet, kChartSubstream, u"图表"},
           {number(0, 0, 2), kMacroSheet, kMacroSubstream, u"宏"},
           {dialog_flag + number(0, 0, 3), kWorksheetSheet, kWorksheetSubstream, u"对话"},
           {number(0, 0, 4), kWorksheetSheet, kWorksheetSubstream, u"数据"},
           {number(0, 0, 5), kWorksheetSheet, kChartSubstream, u"its BOF says chart"},
           {number(0, 0, 6), kWorksheetSheet, kWorksheetSubstream, u"café ½"},  // compressed, not ASCII
           {number(0, 0, 7)}}));
  // A sheet listed where none begins counts as the worksheet it is listed
  // as: reading it fails, reading the next does not.
  std::string broken = workbook_stream("", {{number(0, 0, 1)}, {number(0, 0, 2)}});
  broken.replace(24, 4, u32le(0x7FFFFFF0));  // the first BOUNDSHEET's offset
  // Globals without sheet lists: the worksheets after them, past charts
  // (also one embedded in a worksheet), named as Excel names new sheets.
  const std::string unlisted = make_xls(
      bof(kGlobalsSubstream) + eof() + bof(kChartSubstream) + eof() + bof(kWorksheetSubstream) + number(0, 0, 7) +
      bof(kChartSubstream) + bof(kWorksheetSubstream) + eof() + eof() + eof() + bof(kWorksheetSubstream) +
      number(0, 0, 8) + eof());
  // One sheet listed under two names (two tabs), or under a name cut short.
  const auto listed_as = [](const std::vector<std::string>& names) {
    const auto boundsheet = [](std::size_t offset, const std::string& name) {
      return biff(0x0085, u32le(static_cast<std::uint32_t>(offset)) + std::string(2, '\0') + name);
    };
    std::size_t globals_size = bof(kGlobalsSubstream).size() + eof().size();
    for (const std::string& name : names) globals_size += boundsheet(0, name).size();
    std::string stream = bof(kGlobalsSubstream);
    for (const std::string& name : names) stream += boundsheet(globals_size, name);
    return make_xls(stream + eof() + bof(kWorksheetSubstream) + number(0, 0, 9) + eof());
  };
  const struct {
    std::string file;
    int index;
    ReadStatus status;
    Rows rows;
    Names names;
  } cases[] = {
      {tabs, 0, ReadStatus::ok, {{"4"}}, {"数据", "café ½", "Sheet7"}},
      {tabs, 2, ReadStatus::ok, {{"7"}}, {"数据", "café ½", "Sheet7"}},
      {tabs, 3, ReadStatus::no_such_sheet, {}, {}},
      {tabs, -1, ReadStatus::no_such_sheet, {}, {}},
      {make_xls(broken), 0, ReadStatus::malformed, {}, {}},
      {make_xls(broken), 1, ReadStatus::ok, {{"2"}}, {"Sheet1", "Sheet2"}},
      {unlisted, 1, ReadStatus::ok, {{"8"}}, {"Sheet1", "Sheet2"}},
      {unlisted, 2, ReadStatus::no_such_sheet, {}, {}},
      {listed_as({xl_short_string(u"ab"), xl_short_string(u"表")}), 1, ReadStatus::ok, {{"9"}}, {"ab", "表"}},
      {listed_as({xl_short_string(u"ab"), std::string("\x05\0ab", 4)}), 0, ReadStatus::malformed, {}, {}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const Sheet sheet = read_sheet(cases[i].file, cases[i].index);
    ASSERT_EQ(sheet.status, cases[i].status);
    if (sheet.status != ReadStatus::ok) continue;
    EXPECT_EQ(grid_rows(sheet.grid), cases[i].rows);
    EXPECT_EQ(sheet.names, cases[i].names);
  }
}

TEST(TypedCells, EveryRecordKindKeepsItsValueAndStyleBesideItsText) {
  // XF 0 General, 1 a built-in percent, 2 the built-in date, 3 the
  // workbook's own code, 4 a built-in id given a code of the writer's
  // locale; XFs 77 and 200 do not exist.
  const std::string globals = format_record(164, u"0.000") + format_record(5, u"\"¥\"#,##0") + xf_record(0) +
                              xf_record(10) + xf_record(14) + xf_record(164) + xf_record(5) + sst({u"共享"});
  const Sheet sheet = read_cells(
      number(0, 0, 0.25, 1) + rk(0, 1, rk_of_integer(42)) + mulrk(0, 2, {rk_of_integer(7)}, 3) +
          number(0, 3, 45352, 2) + number(0, 4, 1234, 4) + boolerr(1, 0, 1, false, 2) + boolerr(1, 1, 0, false) +
          boolerr(1, 2, 0x07, true, 4) + formula_number(2, 0, 2.5, 1) + formula_special(2, 1, 1, 1) +
          formula_special(2, 2, 2, 0x2A, 3) + formula_special(2, 3, 0) + string_result(u"文本") +
          formula_special(2, 4, 3) + label_sst(3, 0, 0) + label(3, 1, u"标签") + number(3, 2, 3, 77) +
          rk(3, 3, rk_of_integer(-1), 200),
      globals);
  ASSERT_EQ(sheet.status, ReadStatus::ok);
  const struct {
    int row, column;
    const char* shown;
    CellKind kind;
    double number;
    std::uint32_t style;
  } cases[] = {
      {0, 0, "25.00%", CellKind::number, 0.25, 1},      {0, 1, "42", CellKind::number, 42, 0},
      {0, 2, "7.000", CellKind::number, 7, 3},          {0, 3, "2024/3/1", CellKind::number, 45352, 2},
      {0, 4, "¥1,234", CellKind::number, 1234, 4},      {1, 0, "TRUE", CellKind::boolean, 1, 2},
      {1, 1, "FALSE", CellKind::boolean, 0, 0},         {1, 2, "#DIV/0!", CellKind::error, 0, 4},
      {2, 0, "250.00%", CellKind::number, 2.5, 1},      {2, 1, "TRUE", CellKind::boolean, 1, 0},
      {2, 2, "#N/A", CellKind::error, 0, 3},            {2, 3, "文本", CellKind::text, 0, 0},
      {2, 4, "", CellKind::text, 0, 0},                 {3, 0, "共享", CellKind::text, 0, 0},
      {3, 1, "标签", CellKind::text, 0, 0},             {3, 2, "3", CellKind::number, 3, 5},
      {3, 3, "-1", CellKind::number, -1, 5},            {3, 4, "", CellKind::empty, 0, 0},
  };
  const Rows rows = grid_rows(sheet.grid);
  for (const auto& c : cases) {
    SCOPED_TRACE(cell_name(c.row, c.column));
    const CellValue value = sheet.grid.value(c.row, c.column);
    EXPECT_EQ(rows[c.row][c.column], c.shown);
    EXPECT_EQ(value.kind, c.kind);
    EXPECT_EQ(value.number, c.number);
    EXPECT_EQ(value.style, c.style);
  }
  // One entry per XF with a code only where a FORMAT record gives one, then
  // one General entry that the cells of missing XFs share.
  std::vector<std::pair<int, std::string>> styles;
  for (const StyleNumberFormat& format : sheet.grid.style_formats()) styles.emplace_back(format.id, format.code);
  EXPECT_EQ(styles, (std::vector<std::pair<int, std::string>>{
                        {0, ""}, {10, ""}, {14, ""}, {164, "0.000"}, {5, "\"¥\"#,##0"}, {0, ""}}));
  EXPECT_EQ(read_cells(number(0, 0, 1, 1), globals).grid.style_formats().size(), 5u);
  // A code longer than Excel allows is not kept (each XF would copy it).
  const Sheet long_code = read_cells(number(0, 0, 1), format_record(164, std::u16string(256, u'0')) + xf_record(164));
  EXPECT_EQ(long_code.grid.style_formats()[0].code, "");
}

TEST(MergesAndWidths, KeptAsTheSheetGivesThemAndDamagedOnesPassedOver) {
  std::vector<std::vector<std::uint16_t>> thousand_ranges;
  for (std::uint16_t i = 0; i < 1000; ++i) thousand_ranges.push_back({i, i, 0, 1});
  std::string too_many;
  for (int i = 0; i < 70; ++i) too_many += merged_cells(thousand_ranges);
  for (int i = 0; i < 70'000; ++i) too_many += colinfo(1, 1, 256);
  const struct {
    const char* what;
    std::string records;
    std::vector<MergedRange> merged;
    std::vector<ColumnWidth> widths;
  } cases[] = {
      {"single cells, reversed and out-of-sheet ranges left out",
       merged_cells({{0, 0, 0, 3}, {1, 1, 1, 1}, {5, 4, 0, 1}, {0, 1, 3, 2}, {0, 1, 250, 256}}) +
           merged_cells({{2, 65535, 1, 1}}),
       {{0, 0, 0, 3}, {2, 65535, 1, 1}},
       {}},
      {"counts larger and smaller than the ranges there",
       merged_cells({{0, 1, 0, 1}}, 500) + merged_cells({{3, 4, 0, 0}, {7, 8, 0, 0}}, 1),
       {{0, 1, 0, 1}, {3, 4, 0, 0}},
       {}},
      {"records too short", biff(0x00E5, u16le(3) + "\x01") + biff(0x00E5, "") + biff(0x007D, u32le(0)), {}, {}},
      {"those of an embedded chart", bof(kChartSubstream) + merged_cells({{0, 1, 0, 1}}) + colinfo(0, 0, 512) + eof(),
       {}, {}},
      {"widths in characters, a hidden column's kept, runs clamped to the 256 columns and 255 characters",
       colinfo(0, 0, 10 * 256) + colinfo(2, 5, 2900, true) + colinfo(250, 256, 512) + colinfo(300, 400, 512) +
           colinfo(5, 3, 512) + colinfo(7, 7, 65535),
       {},
       {{0, 0, 10}, {2, 5, 2900 / 256.0}, {250, 255, 2}, {7, 7, 255}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Sheet sheet = read_cells(number(0, 0, 1) + c.records + number(9, 0, 2));
    ASSERT_EQ(sheet.status, ReadStatus::ok);
    EXPECT_EQ(sheet.grid.row_extent(), 10);
    EXPECT_EQ(sheet.grid.merged_ranges(), c.merged);
    EXPECT_EQ(sheet.grid.column_widths(), c.widths);
  }
  const Sheet flooded = read_cells(too_many);
  EXPECT_EQ(flooded.grid.merged_ranges().size(), 65'536u);
  EXPECT_EQ(flooded.grid.column_widths().size(), 65'536u);
}

TEST(WrittenByXlwt, TheSecondSheetWithValuesFormatsMergesAndWidths) {
#ifdef _WIN32
  GTEST_SKIP() << "xlwt cannot be started from the Windows build";
#else
  const std::string path = ::testing::TempDir() + "sheetlib_xlwt_sheets.xls";
  std::filesystem::remove(path);
  const int status = std::system(
      (std::string(COLSPLIT_PYTHON) + " " + COLSPLIT_SOURCE_DIR + "/tests/sheetlib/xls/make_xlwt_sheets.py " + path)
          .c_str());
  if (WIFEXITED(status) && WEXITSTATUS(status) == 3) GTEST_SKIP() << "xlwt is missing";
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string file = file_bytes(path);
  EXPECT_EQ(grid_rows(read_sheet(file, 0).grid), (Rows{{"cover"}}));
  EXPECT_EQ(read_sheet(file, 2).status, ReadStatus::no_such_sheet);

  const Sheet sheet = read_sheet(file, 1);
  ASSERT_EQ(sheet.status, ReadStatus::ok);
  EXPECT_EQ(sheet.names, (Names{"封面", "数据 2024"}));
  EXPECT_EQ(grid_rows(sheet.grid),
            (Rows{{"销售报表", "", "", "", ""}, {"城市", "数量", "金额", "日期", "已付"},
                  {"北京", "42", "1,234.50", "2024-03-01", "TRUE"}, {"上海", "-7.25", "0.75", "1999-12-31", "FALSE"},
                  {"", "", "", "", ""}, {"", "备注", "", "", ""}}));
  // xlwt gives General an id of the workbook's own (its list of built-in
  // codes spells it "general"); "#,##0.00" is built in.
  const struct {
    int row, column;
    CellKind kind;
    double number;
    int format_id;
    const char* code;
  } cases[] = {
      {2, 1, CellKind::number, 42, 164, "General"},     {2, 2, CellKind::number, 1234.5, 4, ""},
      {2, 3, CellKind::number, 45352, 165, "yyyy-mm-dd"}, {2, 4, CellKind::boolean, 1, 164, "General"},
      {3, 1, CellKind::number, -7.25, 164, "General"},  {3, 4, CellKind::boolean, 0, 164, "General"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(cell_name(c.row, c.column));
    const CellValue value = sheet.grid.value(c.row, c.column);
    EXPECT_EQ(value.kind, c.kind);
    EXPECT_EQ(value.number, c.number);
    ASSERT_LT(value.style, sheet.grid.style_formats().size());
    EXPECT_EQ(sheet.grid.style_formats()[value.style].id, c.format_id);
    EXPECT_EQ(sheet.grid.style_formats()[value.style].code, c.code);
  }
  EXPECT_EQ(sheet.grid.merged_ranges(), (std::vector<MergedRange>{{5, 6, 1, 2}, {0, 0, 0, 4}}));
  // Column 4 is hidden.
  EXPECT_EQ(sheet.grid.column_widths(), (std::vector<ColumnWidth>{{0, 0, 20}, {2, 2, 3000 / 256.0}, {4, 4, 12}}));
#endif
}

}  // namespace
}  // namespace sheetlib::testing
