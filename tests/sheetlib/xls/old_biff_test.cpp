// Excel 2.x, 3 and 4 files (old_biff/, written by make_old_biff_books.py):
// each shows what LibreOffice shows of it, and damaged ones fail cleanly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "libreoffice_view.h"
#include "test_package.h"
#include "xls_maker.h"

namespace sheetlib::testing {
namespace {

using Names = std::vector<std::string>;

std::string old_book(const std::string& name) {
  return file_bytes(std::string(COLSPLIT_SOURCE_DIR) + "/tests/sheetlib/xls/old_biff/" + name);
}

std::string bof2(std::uint16_t substream) { return biff(0x0009, u16le(2) + u16le(substream)); }
std::string cell2(std::uint16_t type, std::uint16_t column, const std::string& value, std::uint8_t xf = 0) {
  return biff(type, u16le(0) + u16le(column) + std::string{static_cast<char>(xf), '\0', '\0'} + value);
}

TEST(OldBiff, ShowsWhatLibreOfficeShows) {
  const std::string biff3 = old_book("biff3.xls");
  const Rows biff3_rows = {{"中文", "7", "3/1/24", "38%"}, {"数据", "2.5元", "TRUE", "#N/A"}, {"元", "12.0元", "TRUE", ""}};
  const struct {
    std::string file;
    int sheet;
    ReadStatus status;
    Rows rows;
    Names names;
  } cases[] = {
      // LibreOffice shows the booleans of an .xls as 1 and 0.
      {old_book("biff2.xls"), 0, ReadStatus::ok,
       {{"Name", "Value", "When", "Share"},
        {"café crème", "42", "3/1/24", "25%"},
        {"Straße", "-3.5", "", "12.50%"},  // its XF named through IXFE
        {"TRUE", "#DIV/0!", "7", "Zoë"},
        {"FALSE", "1234567.891", "", ""}},
       {"Sheet1"}},
      {biff3, 0, ReadStatus::ok, biff3_rows, {"Sheet1"}},
      // The 1904 date system.
      {old_book("biff4.xls"), 0, ReadStatus::ok,
       {{"Ñandú", "-17", "3/1/24", "50%"}, {"1,234.6 kg", "300%", "€ fin", "#VALUE!"}},
       {"Sheet1"}},
      // The workbook's sheets have formats of their own, which LibreOffice
      // leaves unread (it shows 45352, 0.5, 1234.56 and 3); its chart sheet
      // is no worksheet.
      {old_book("biff4w.xlw"), 0, ReadStatus::ok,
       {{"第一", "-17", "3/1/24", "50%"}, {"1234.6元", "300%", "￥ 末", "#VALUE!"}},
       {"收入", "支出 2"}},
      {old_book("biff4w.xlw"), 1, ReadStatus::ok, {{"中文", "7", "45352", "0.375"}, {"数据", "2.5", "TRUE", "#N/A"}},
       {"收入", "支出 2"}},
      {old_book("biff4w.xlw"), 2, ReadStatus::no_such_sheet, {}, {}},
      {old_book("chart3.xls"), 0, ReadStatus::not_a_workbook, {}, {}},
      {bof2(0x0040) + eof(), 0, ReadStatus::not_a_workbook, {}, {}},
      // Cut inside a record, or before the sheet's EOF.
      {biff3.substr(0, biff3.size() - 7), 0, ReadStatus::malformed, {}, {}},
      {biff3.substr(0, biff3.size() - 4), 0, ReadStatus::malformed, {}, {}},
      // Cells too short for their kind, past the grid's columns or naming an
      // XF the file lacks: those left out, the others kept.
      {bof2(0x0010) + biff(0x0043, std::string(4, '\0')) + cell2(0x0003, 0, "\x01") + cell2(0x0004, 1, "\x09" "abc") + cell2(0x0002, 20000, "\x01") +
           cell2(0x0002, 2, u16le(5), 40) + cell2(0x0004, 3, "\x02" "ok") + biff(0x0003, "\x01") + eof(),
       0, ReadStatus::ok, {{"", "", "5", "ok"}}, {"Sheet1"}},
      // Without XF records, the cells' second attribute byte names the format.
      {bof2(0x0010) + biff(0x0003, u16le(0) + u16le(0) + std::string("\0\x0A\0", 3) + f64le(0.5)) + eof(), 0,
       ReadStatus::ok, {{"50.00%"}}, {"Sheet1"}},
      // Put into a compound file by a later program: read the same.
      {make_compound_file({{"Book", biff3}}).bytes, 0, ReadStatus::ok, biff3_rows, {"Sheet1"}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const auto& c = cases[i];
    CellGrid grid;
    grid.want_look();  // a look asked for gets the cells alone
    Names names;
    ASSERT_EQ(read_worksheet(c.file, c.sheet, grid, &names), c.status);
    if (c.status != ReadStatus::ok) continue;
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(grid_rows(grid), c.rows);
  }
}

}  // namespace
}  // namespace sheetlib::testing
