// The workbook globals, the first substream of the workbook stream: the
// sheets' names and where their substreams begin (BOUNDSHEET), the shared
// strings, the number formats of the XF records, the date system
// (DATEMODE), whether the workbook is encrypted (FILEPASS), how its
// strings are stored (the BOF's version and CODEPAGE), and for a load that
// keeps the look the cell styles (FONT, XF, PALETTE) and the sheets'
// built-in names (NAME). What the cells need
// (the sheet list, the shared strings, the substream's records themselves)
// fails the load when damaged; damaged formats only cost their look.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/grid_text.h"
#include "sheetlib/core/style_formats.h"
#include "sheetlib/xls/biff_strings.h"
#include "sheetlib/xls/cell_looks.h"
#include "sheetlib/xls/print_names.h"

namespace sheetlib::xls {

// A sheet BOUNDSHEET lists as a worksheet (or dialog sheet, which it does
// not tell apart): the stream offset of its BOF record and its name (UTF-8).
struct ListedSheet {
  std::uint32_t offset = 0;
  std::string name;
  std::size_t tab = 0;  // its position among the sheets of every kind
};

struct WorkbookGlobals {
  std::vector<ListedSheet> worksheets;  // in tab order
  std::size_t sheet_count = 0;          // BOUNDSHEET records of every kind
  std::size_t end = 0;                  // where the substream after the globals begins
  bool date1904 = false;
  StringForm string_form;
  SharedStringSpans strings;
  StyleFormats formats;                          // for showing numbers
  std::vector<StyleNumberFormat> style_formats;  // what CellGrid::style_formats() gives
  // The look of the cell styles and the sheets' built-in names, read only
  // when want_look is set before the globals are read.
  bool want_look = false;
  // Set for a stream already decrypted: its FILEPASS record is passed over.
  bool decrypted = false;
  CellLooksBuilder looks;
  std::vector<BuiltinName> builtin_names;
};

// Reads the globals at the start of `stream`; shared strings go into the
// storage's arena. unsupported_version for a stream before BIFF5 (or of a
// version unknown), encrypted at a FILEPASS record (unless `decrypted`).
ReadStatus read_workbook_globals(std::string_view stream, CellGrid::Storage& storage, const ReadLimits& limits,
                                 WorkbookGlobals& globals);

}  // namespace sheetlib::xls
