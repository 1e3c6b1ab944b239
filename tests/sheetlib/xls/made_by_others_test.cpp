// .xls workbooks that LibreOffice, Gnumeric (also with an Excel 95 stream
// beside the Excel 97 one, and Excel 95 alone) and xlwt write while the test runs
// (make_xls_books.py): each must show, cell by cell, what the same
// workbook saved as .xlsx shows, and what LibreOffice shows of it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "libreoffice_view.h"
#include "test_package.h"
#include "text/encoding.h"

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

}  // namespace
}  // namespace sheetlib::testing
