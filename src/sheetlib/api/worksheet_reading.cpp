#include "sheetlib/api/worksheet_reading.h"

#include <new>

#include "sheetlib/xls/encrypted_package.h"
#include "sheetlib/read/workbook_reader.h"
#include "sheetlib/xls/xls_reader.h"

namespace sheetlib {

namespace {

// An .xlsx encrypted with Excel's default password, decrypted in memory and
// read like any other.
ReadStatus read_encrypted_xlsx(std::string_view file_bytes, int index, CellGrid& grid,
                               std::vector<std::string>& sheet_names, const ReadLimits& limits, ReadCost& cost) {
  std::string package;
  if (const ReadStatus status = xls::decrypt_package(file_bytes, limits, package); status != ReadStatus::ok) {
    return status;
  }
  const ReadStatus status = read_xlsx_worksheet(package, index, grid, sheet_names, limits, cost);
  return status == ReadStatus::not_a_zip ? ReadStatus::malformed : status;
}

}  // namespace

ReadStatus read_worksheet(std::string_view file_bytes, int index, CellGrid& grid,
                          std::vector<std::string>* sheet_names, const ReadLimits& limits, ReadCost* cost) {
  ReadCost spent;
  ReadStatus status = ReadStatus::ok;
  try {
    // The grid and names given keep what they held unless the whole sheet was read.
    CellGrid loaded;
    if (grid.look()) loaded.want_look();
    std::vector<std::string> names;
    if (index < 0) {
      status = ReadStatus::no_such_sheet;
    } else if (xls::is_xls_file(file_bytes)) {
      // The content decides, not the name: an .xls renamed .xlsx is still read.
      status = xls::holds_encrypted_package(file_bytes)
                   ? read_encrypted_xlsx(file_bytes, index, loaded, names, limits, spent)
                   : xls::read_xls_worksheet(file_bytes, index, loaded, names, limits);
    } else {
      status = read_xlsx_worksheet(file_bytes, index, loaded, names, limits, spent);
    }
    if (status == ReadStatus::ok) {
      grid = std::move(loaded);
      if (sheet_names) *sheet_names = std::move(names);
    }
  } catch (const std::bad_alloc&) {
    status = ReadStatus::out_of_memory;
  } catch (...) {
    status = ReadStatus::malformed;
  }
  if (cost) *cost = spent;
  return status;
}

}  // namespace sheetlib
