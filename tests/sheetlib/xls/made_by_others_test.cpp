// .xls workbooks that LibreOffice, Gnumeric (also with an Excel 95 stream
// beside the Excel 97 one, and Excel 95 alone) and xlwt write while the test runs
// (make_xls_books.py): each must show, cell by cell, what the same
// workbook saved as .xlsx shows, and what LibreOffice shows of it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "libreoffice_view.h"
#include "test_package.h"
#include "text/encoding.h"
#include "xls_maker.h"

namespace sheetlib::testing {
namespace {

const std::string kScript = std::string(COLSPLIT_SOURCE_DIR) + "/tests/sheetlib/xls/make_xls_books.py";

// The folder the script wrote into, the producers it could run, or why
// there is nothing to compare.
struct Books {
  std::string folder;
  std::set<std::string> made;
  std::string skip_reason;
};

const Books& books() {
  static const Books made = [] {
    Books result;
#ifdef _WIN32
    result.skip_reason = "the producers cannot be started from the Windows build";
#else
    result.folder = ::testing::TempDir() + "sheetlib_xls_books";
    std::filesystem::remove_all(result.folder);
    const int status = std::system((std::string(COLSPLIT_PYTHON) + " " + kScript + " " + result.folder).c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3) {
      result.skip_reason = "LibreOffice is missing";
    } else {
      std::istringstream listing(file_bytes(result.folder + "/made.txt"));
      for (std::string name; listing >> name;) result.made.insert(name);
    }
#endif
    return result;
  }();
  return made;
}

// Where LibreOffice shows a cell otherwise than the workbook's .xlsx twin,
// and the twin is right: booleans, which LibreOffice shows as 1 and 0 when it
// read them from an .xls, and its General format's three-digit exponents.
bool libreoffice_differs(const std::string& ours, const std::string& theirs) {
  if ((ours == "TRUE" && theirs == "1") || (ours == "FALSE" && theirs == "0")) return true;
  const std::size_t exponent = ours.find("E+");
  return exponent != std::string::npos && theirs == ours.substr(0, exponent + 2) + "0" + ours.substr(exponent + 2);
}

// Gnumeric writes a long Excel 95 label on into CONTINUE records, which
// LibreOffice does not read: it shows what the LABEL record itself holds
// (2,080 bytes less the cell's 8), where we read the whole text written.
bool libreoffice_cuts_label(const std::string& producer, std::string_view ours, std::string_view theirs) {
  return producer == "gnumeric95" && theirs.size() == 2072 && ours.size() > theirs.size() && ours.starts_with(theirs);
}

class MadeByOthers : public ::testing::TestWithParam<const char*> {};

TEST_P(MadeByOthers, ShowsWhatItsXlsxTwinAndLibreOfficeShow) {
  const Books& made = books();
  if (!made.skip_reason.empty()) GTEST_SKIP() << made.skip_reason;
  const std::string name = GetParam();
  if (!made.made.count(name)) GTEST_SKIP() << name << " could not write its workbook here";

  Loaded xls = load(file_bytes(made.folder + "/" + name + ".xls"));
  ASSERT_EQ(xls.status, ReadStatus::ok);
  Loaded twin = load(file_bytes(made.folder + "/twin/" + name + ".xlsx"));
  ASSERT_EQ(twin.status, ReadStatus::ok);
  const Rows shown = parse_libreoffice_csv(file_bytes(made.folder + "/" + name + ".csv"));

  // The preview and the heading list come from the extents and the texts:
  // both exactly as the twin's, byte for byte in GBK.
  ASSERT_EQ(xls.grid.row_extent(), twin.grid.row_extent());
  ASSERT_EQ(xls.grid.column_extent(), twin.grid.column_extent());
  ASSERT_EQ(static_cast<std::size_t>(xls.grid.row_extent()), shown.size());
  int compared = 0;
  for (int row = 0; row < xls.grid.row_extent(); ++row) {
    for (int column = 0; column < xls.grid.column_extent(); ++column) {
      const std::string where = cell_name(row, column);
      const std::string_view ours = xls.grid.text(row, column);
      if (!libreoffice_cuts_label(name, ours, twin.grid.text(row, column))) {
        EXPECT_EQ(ours, twin.grid.text(row, column)) << where;
      }
      EXPECT_EQ(xls.grid.has_value(row, column), twin.grid.has_value(row, column)) << where;
      // LibreOffice's texts through the same converter as ours, characters
      // GBK lacks (kept as their four-byte sequences) included.
      const std::vector<std::string>& shown_row = shown[static_cast<std::size_t>(row)];
      const std::string theirs = static_cast<std::size_t>(column) < shown_row.size()
                                     ? colsplit::utf8_to_gbk(shown_row[static_cast<std::size_t>(column)])
                                     : "";
      if (ours != theirs && !libreoffice_differs(std::string(ours), theirs) &&
          !libreoffice_cuts_label(name, ours, theirs))
        ADD_FAILURE() << where << ": ours \"" << colsplit::gbk_to_utf8(ours) << "\", LibreOffice \""
                      << colsplit::gbk_to_utf8(theirs) << "\"";
      compared += !ours.empty();
    }
  }
  EXPECT_GT(compared, 200);
}

INSTANTIATE_TEST_SUITE_P(Xls, MadeByOthers, ::testing::Values("libreoffice", "gnumeric", "gnumeric_dual", "gnumeric95", "xlwt"));

// Sheets made here that leave out, one at a time, the records a sheet
// need not have (DIMENSIONS, ROW, INDEX and DBCELL), hold their cells out
// of order, only blank cells, or formulas in the first row: the rows must be
// those LibreOffice shows. Each sheet begins with a WSBOOL record, as
// written sheets begin with settings: LibreOffice loses a cell record that
// comes right after the sheet's BOF, which the last case shows (Gnumeric
// keeps that cell, as the reader does).
TEST(HandMadeSheets, RowsAsLibreOfficeShowsThemWithOptionalRecordsLeftOut) {
#ifdef _WIN32
  GTEST_SKIP() << "LibreOffice cannot be started from the Windows build";
#else
  const auto dimensions = [](std::uint32_t last_row, std::uint16_t last_column) {
    return biff(0x0200, u32le(0) + u32le(last_row + 1) + u16le(0) + u16le(last_column + 1) + u16le(0));
  };
  const auto row = [](std::uint16_t index, std::uint16_t last_column) {
    return biff(0x0208, u16le(index) + u16le(0) + u16le(last_column + 1) + u16le(255) + u32le(0) + u32le(0x100));
  };
  // INDEX pointing at a DBCELL that is not where it says: neither is read.
  const std::string index = biff(0x020B, u32le(0) + u32le(0) + u32le(3) + u32le(0) + u32le(99999));
  const std::string dbcell = biff(0x00D7, u32le(12345) + u16le(7));
  const std::string wsbool = biff(0x0081, u16le(0x04C1));
  const auto rk_integer = [](std::int32_t value) { return static_cast<std::uint32_t>(value) << 2 | 2u; };
  // A formula =1+2 (or =2*3.5) with its result cached as Excel caches it.
  const auto formula = [](std::uint16_t r, std::uint16_t c, bool product) {
    const std::string tokens = product ? std::string("\x1E\x02\x00\x1F", 4) + f64le(3.5) + "\x05"
                                       : std::string("\x1E\x01\x00\x1E\x02\x00\x03", 7);
    return biff(0x0006, u16le(r) + u16le(c) + u16le(0) + f64le(product ? 7 : 3) + u16le(0) + u32le(0) +
                            u16le(static_cast<std::uint16_t>(tokens.size())) + tokens);
  };
  const std::string cells = number(0, 0, 1) + label(0, 1, u"b") + number(1, 0, 2.5) + number(2, 2, 3);
  const std::string rows = row(0, 1) + row(1, 0) + row(2, 2);
  const std::string mulblank = biff(0x00BE, u16le(4) + u16le(0) + u16le(0) + u16le(0) + u16le(0) + u16le(2));
  const struct {
    const char* name;
    std::string records;
    std::map<std::string, std::string> libreoffice_errs;
  } cases[] = {
      {"complete", wsbool + index + dimensions(2, 2) + rows + cells + dbcell, {}},
      {"no_dimensions", wsbool + index + rows + cells + dbcell, {}},
      {"no_rows", wsbool + index + dimensions(2, 2) + cells + dbcell, {}},
      {"no_index", wsbool + dimensions(2, 2) + rows + cells, {}},
      {"none_of_them", wsbool + cells, {}},
      {"out_of_order", wsbool + number(2, 2, 3) + mulrk(1, 1, {rk_integer(5), rk_integer(6)}) + number(1, 0, 2.5) +
                           label(0, 1, u"b") + number(0, 0, 1) + row(0, 1),
       {}},
      {"only_blank", wsbool + dimensions(6, 6) + row(0, 6) + blank(0, 0) + mulblank + blank(6, 6), {}},
      {"blank_around", wsbool + blank(0, 0) + mulblank + number(1, 1, 4) + blank(9, 9), {}},
      {"formulas_first_row", wsbool + dimensions(1, 2) + formula(0, 0, false) + formula(0, 1, true) + number(0, 2, 5) +
                                 formula(1, 0, true),
       {}},
      {"cell_right_after_bof", cells, {{"A1", "1"}}},
  };
  const std::string folder = ::testing::TempDir() + "sheetlib_xls_hand_made";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder + "/home");
  std::string command = "HOME=" + folder + "/home soffice --headless --convert-to "
                        "'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false' --outdir " +
                        folder;
  for (const auto& c : cases) {
    const std::string path = folder + "/" + c.name + ".xls";
    std::ofstream(path, std::ios::binary) << make_xls(one_sheet_stream(c.records, xf_record(0)));
    command += " " + path;
  }
  if (std::system((command + " >/dev/null 2>&1").c_str()) != 0 ||
      !std::filesystem::exists(folder + "/complete.csv"))
    GTEST_SKIP() << "LibreOffice is missing";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded ours = load(file_bytes(folder + "/" + c.name + ".xls"));
    ASSERT_EQ(ours.status, ReadStatus::ok);
    const Rows shown = parse_libreoffice_csv(file_bytes(folder + "/" + c.name + ".csv"));
    expect_shown_as_libreoffice_shows(grid_rows(ours.grid), shown, c.libreoffice_errs);
    EXPECT_EQ(static_cast<std::size_t>(ours.grid.row_extent()), shown.size());
  }
#endif
}

}  // namespace
}  // namespace sheetlib::testing
