// Workbooks that other programs wrote: the corpus (Excel, LibreOffice,
// Gnumeric, openpyxl …) compared cell by cell with what LibreOffice shows,
// and workbooks that openpyxl and xlsxwriter write while the test runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sheetlib/format/number_format.h"
#include "support/gbk_literal.h"
#include "libreoffice_view.h"
#include "test_package.h"

namespace sheetlib::testing {
namespace {

const std::string kCorpus = std::string(COLSPLIT_SOURCE_DIR) + "/tests/sheetlib/read/corpus/";

// Where LibreOffice shows something else than the cell holds, and we are
// right: the text we show for each such cell.
const std::map<std::string, std::map<std::string, std::string>> kLibreOfficeDiffers = {
    // LibreOffice recalculates the formulas and shows its own results (Err:502
    // for functions it evaluates differently, #REF! and #NAME? for references
    // it resolves otherwise); the cells hold Excel's results, which Excel shows.
    {"errors", {{"A4", "#NULL!"}, {"A5", "#REF!"}, {"A6", "#NUM!"}, {"A7", "#N/A"}}},
    // The text holds a carriage return (escaped as _x000D_) before its line
    // feed; LibreOffice drops it.
    {"has_x000D_inline", {{"A1", "ABC\r\nDEF"}}},
    // An inline string that also carries a <v>: the string is the cell's
    // text, as Excel shows it; LibreOffice shows nothing.
    {"inlineStr_with_value", {{"D2", "1."}}},
};

void compare_with_libreoffice(const std::string& name) {
  SCOPED_TRACE(name);
  Loaded loaded = load(file_bytes(kCorpus + name + ".xlsx"));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  const auto found = kLibreOfficeDiffers.find(name);
  expect_shown_as_libreoffice_shows(grid_rows(loaded.grid), parse_libreoffice_csv(file_bytes(kCorpus + name + ".csv")),
                                    found != kLibreOfficeDiffers.end() ? found->second
                                                                       : std::map<std::string, std::string>{},
                                    as_chinese_short_date);
}

class Corpus : public ::testing::TestWithParam<const char*> {};

TEST_P(Corpus, FirstSheetShowsWhatLibreOfficeShows) { compare_with_libreoffice(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    MadeByOthers, Corpus,
    ::testing::Values("date", "date_iso", "empty_shared_string", "empty_sheet", "errors", "has_x000D_inline",
                      "header-row", "inlineStr_with_value", "issue127", "issue_174", "issue_261", "issues",
                      "merge_cells", "minimal_package", "nonstandard-xml-ns-prefix", "picture",
                      "richtext-after-plain", "rph", "strict_iso_paths", "table_with_absolute_paths",
                      "whitespace_trim"),
    [](const ::testing::TestParamInfo<const char*>& info) {
      std::string name = info.param;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

TEST(CorpusStatus, EncryptedWorkbookFailsAsEncrypted) {
  // A package saved with a password lies encrypted in a compound file.
  EXPECT_EQ(load(file_bytes(kCorpus + "pass_protected.xlsx")).status, ReadStatus::encrypted);
}

// Runs a Python script that writes a workbook; the bytes of the workbook, or
// a reason to skip.
struct Written {
  std::string bytes;
  std::string skip_reason;
};

Written write_with_python(const std::string& module, const std::string& script) {
#ifdef _WIN32
  (void)script;
  return {"", "Python (" + module + ") cannot be started from the Windows build"};
#else
  const std::string folder = ::testing::TempDir();
  const std::string script_path = folder + "sheetlib_read_" + module + ".py";
  const std::string book_path = folder + "sheetlib_read_" + module + ".xlsx";
  std::ofstream(script_path) << "import sys\ntry:\n    import " << module
                             << "\nexcept ImportError:\n    sys.exit(3)\nout = sys.argv[1]\n"
                             << script;
  std::remove(book_path.c_str());
  const int status = std::system((std::string(COLSPLIT_PYTHON) + " " + script_path + " " + book_path).c_str());
  if (status != 0) {
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3) return {"", "the Python module " + module + " is missing"};
    return {"", ""};
  }
  return {file_bytes(book_path), ""};
#endif
}

#define WRITE_WITH_PYTHON(written, module, script)                       \
  const Written written = write_with_python(module, script);            \
  if (!written.skip_reason.empty()) GTEST_SKIP() << written.skip_reason; \
  ASSERT_FALSE(written.bytes.empty()) << "the " module " script failed"

std::string date_shown(double serial, const char* code) { return format_number(serial, code, false); }

TEST(WrittenByOpenpyxl, ValuesOfEveryKindAndOnlyTheFirstSheet) {
  WRITE_WITH_PYTHON(written, "openpyxl", R"(
import datetime
from openpyxl.styles import Font
book = openpyxl.Workbook()
sheet = book.active
sheet.title = "数据"
sheet.append(["城市", "count", "ratio", "flag", "when"])
sheet.append(["北京", 12, 3.25, True, datetime.date(2024, 3, 1)])
sheet.append(["上海", -7, 0.5, False, None])
sheet["E2"].number_format = "yyyy-mm-dd"
sheet["G9"].font = Font(bold=True)
sheet["B5"] = "=1+1"
other = book.create_sheet("other")
other["A1"] = "not this one"
book.save(out)
)");
  Loaded loaded = load(written.bytes);
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  // The styled G9 and the formula without a cached result hold no value.
  EXPECT_EQ(loaded.grid.row_extent(), 3);
  EXPECT_EQ(loaded.grid.column_extent(), 5);
  const Rows rows = grid_rows(loaded.grid);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"城市", "count", "ratio", "flag", "when"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"北京", "12", "3.25", "TRUE", date_shown(45352, "yyyy-mm-dd")}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"上海", "-7", "0.5", "FALSE", ""}));
}

// The second worksheet, behind a chart sheet: its values, their formats,
// a merged range and a column width as openpyxl writes them.
TEST(WrittenByOpenpyxl, AnyWorksheetWithValuesFormatsMergesAndWidths) {
  WRITE_WITH_PYTHON(written, "openpyxl", R"(
import datetime
from openpyxl.chart import BarChart, Reference
book = openpyxl.Workbook()
book.active.title = "first"
book.active["A1"] = "not this one"
data = book.create_sheet("数据")
chart_sheet = book.create_chartsheet("图表", 1)
data.append(["名称", 1234.5, True, "#N/A", datetime.date(2024, 3, 1), 0.25])
data["B1"].number_format = "#,##0.000"
data["E1"].number_format = "yyyy-mm-dd"
data["F1"].number_format = "0.00%"
data.merge_cells("A3:C4")
data.column_dimensions["B"].width = 18.5
chart = BarChart()
chart.add_data(Reference(data, min_col=2, min_row=1, max_row=1))
chart_sheet.add_chart(chart)
book.save(out)
)");
  CellGrid grid;
  std::vector<std::string> names;
  ASSERT_EQ(read_worksheet(written.bytes, 1, grid, &names), ReadStatus::ok);
  EXPECT_EQ(names, (std::vector<std::string>{"first", "数据"}));
  EXPECT_EQ(grid_rows(grid)[0], (std::vector<std::string>{"名称", "1,234.500", "TRUE", "#N/A",
                                                          date_shown(45352, "yyyy-mm-dd"), "25.00%"}));
  const std::vector<StyleNumberFormat>& formats = grid.style_formats();
  const auto format_of = [&](int column) {
    const CellValue value = grid.value(0, column);
    EXPECT_LT(value.style, formats.size());
    return value.style < formats.size() ? formats[value.style].id : -1;
  };
  EXPECT_EQ(grid.value(0, 0).kind, CellKind::text);
  EXPECT_EQ(grid.value(0, 1).number, 1234.5);
  EXPECT_EQ(format_of(1), 165);
  EXPECT_EQ(grid.value(0, 2).kind, CellKind::boolean);
  EXPECT_EQ(grid.value(0, 3).kind, CellKind::error);
  EXPECT_EQ(grid.value(0, 4).number, 45352);
  EXPECT_EQ(format_of(4), 164);
  EXPECT_EQ(format_of(5), 10);
  EXPECT_EQ(formats[1].code, "#,##0.000");
  EXPECT_EQ(formats[3].code, "");
  EXPECT_EQ(grid.merged_ranges(), (std::vector<MergedRange>{{2, 3, 0, 2}}));
  EXPECT_EQ(grid.column_widths(), (std::vector<ColumnWidth>{{1, 1, 18.5}}));
  EXPECT_EQ(read_worksheet(written.bytes, 2, grid, &names), ReadStatus::no_such_sheet);
}

TEST(WrittenByXlsxwriter, SharedAndInlineStringsRichTextFormulasAndFormats) {
  for (const char* mode : {"False", "True"}) {  // constant_memory writes inline strings
    SCOPED_TRACE(mode);
    WRITE_WITH_PYTHON(written, "xlsxwriter", std::string("constant_memory = ") + mode + R"(
import datetime
book = xlsxwriter.Workbook(out, {"constant_memory": constant_memory})
sheet = book.add_worksheet("表一")
bold = book.add_format({"bold": True})
money = book.add_format({"num_format": "0.00"})
day = book.add_format({"num_format": "yyyy-mm-dd"})
sheet.write_string(0, 0, "名称")
sheet.write_rich_string(0, 1, bold, "rich", " text")
sheet.write_string(0, 2, "_x0041_ & <tag>")
sheet.write_number(1, 0, 1234567)
sheet.write_number(1, 1, 2.5, money)
sheet.write_formula(1, 2, "=A2*2", None, 2469134)
sheet.write_boolean(2, 0, True)
sheet.write_datetime(2, 1, datetime.datetime(2024, 3, 1), day)
sheet.write_formula(2, 2, '="a"&"b"', None, "ab")
sheet.write_blank(5, 5, None, bold)
book.add_worksheet("second").write(0, 0, "no")
book.close()
)");
    Loaded loaded = load(written.bytes);
    ASSERT_EQ(loaded.status, ReadStatus::ok);
    EXPECT_EQ(loaded.grid.row_extent(), 3);
    EXPECT_EQ(loaded.grid.column_extent(), 3);
    const Rows rows = grid_rows(loaded.grid);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"名称", "rich text", "_x0041_ & <tag>"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"1234567", format_number(2.5, "0.00", false), "2469134"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"TRUE", date_shown(45352, "yyyy-mm-dd"), "ab"}));
  }
}

}  // namespace
}  // namespace sheetlib::testing
