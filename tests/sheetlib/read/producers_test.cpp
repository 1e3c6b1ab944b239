// Workbooks that every spreadsheet writer this machine has made while the
// test ran (producers/run.sh makes them and has LibreOffice show them),
// read with our reader and compared cell by cell with what LibreOffice
// shows: numbers, dates, percentages, Chinese numerals, rich text, empty
// cells, and characters from plain Chinese to emoji.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "libreoffice_view.h"
#include "test_package.h"

namespace sheetlib::testing {
namespace {

std::string produced(const std::string& file) {
  const char* folder = std::getenv("COLSPLIT_PRODUCED");
  return folder ? std::string(folder) + "/" + file : file;
}

class Producer : public ::testing::TestWithParam<const char*> {};

TEST_P(Producer, FirstSheetShowsWhatLibreOfficeShows) {
  const std::string name = GetParam();
  if (!std::getenv("COLSPLIT_PRODUCED")) GTEST_SKIP() << "run through producers/run.sh, which makes the workbooks";
  if (std::ifstream skip(produced(name + ".skip")); skip) {
    std::string reason;
    std::getline(skip, reason, '\0');
    GTEST_SKIP() << reason;
  }
  const Loaded loaded = load(file_bytes(produced(name + ".xlsx")));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  const Rows libreoffice = parse_libreoffice_csv(file_bytes(produced(name + ".csv")));
  // LibreOffice showed the workbook: its headings and its last row are there.
  ASSERT_EQ(libreoffice.size(), 9u) << "LibreOffice's view of " << name << " is missing or cut";
  ASSERT_FALSE(libreoffice[0].empty());
  EXPECT_EQ(libreoffice[0][0], "名称");
  expect_shown_as_libreoffice_shows(grid_rows(loaded.grid), libreoffice);
}

INSTANTIATE_TEST_SUITE_P(Writers, Producer,
                         ::testing::Values("openpyxl", "xlsxwriter", "pandas", "sheetjs", "exceljs", "poi", "gnumeric",
                                           "libreoffice"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
}  // namespace sheetlib::testing
