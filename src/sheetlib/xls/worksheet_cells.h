// The cells of a worksheet substream, each stored as the text it shows:
// strings, numbers through the number format of the cell's XF, booleans,
// error codes and the cached results of formulas; numbers, booleans and
// errors keep their value and XF beside it. BLANK and MULBLANK cells carry
// only formatting and are not stored; DIMENSION is not read, since writers
// get it wrong and the cells say where they are. The sheet's merged ranges
// and column widths go into the grid too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/format/number_format.h"
#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/grid_text.h"
#include "sheetlib/core/style_formats.h"
#include "sheetlib/xls/biff_records.h"
#include "sheetlib/xls/biff_strings.h"
#include "sheetlib/xls/sheet_looks.h"

namespace sheetlib::xls {

// The value an RK number (NUMBER's four-byte form) stands for.
double rk_value(std::uint32_t rk);

// The text of a cell error code (#DIV/0!, #N/A, …).
std::string_view error_text(std::uint8_t code);

// True when the substream whose BOF record lies at `offset` is a dialog
// sheet (a worksheet by its BOF, marked by its WSBOOL record), which holds
// no cells of a table.
bool is_dialog_sheet(std::string_view stream, std::size_t offset);

class WorksheetCells {
 public:
  // The grid's style_formats() hold one entry per XF record of the globals;
  // a cell naming an XF past them gets one more, meaning General.
  WorksheetCells(CellGrid& grid, const SharedStringSpans& strings, const StyleFormats& formats, bool date1904,
                 const StringForm& string_form = {})
      : grid_(grid),
        storage_(grid.storage()),
        strings_(strings),
        formats_(formats),
        date1904_(date1904),
        string_form_(string_form),
        xf_count_(grid.style_formats().size()) {}

  // Hands every record of the sheet (not of its charts) to `looks` too, for
  // a load that keeps the look.
  void keep_look(SheetLooksReader* looks) { looks_ = looks; }

  // Reads the substream from its BOF record at `offset` to its EOF record;
  // the substreams of charts embedded in it are passed over.
  ReadStatus read(std::string_view stream, std::size_t offset);

  // The pieces of a cell record, for the records of Excel 4.0 and before,
  // which lay them out otherwise. A number shown through its XF's format:
  ReadStatus store_number(std::uint32_t row, std::uint32_t column, std::uint16_t xf, double value);
  // BOOLERR's value and whether it is an error code:
  ReadStatus store_bool_or_error(std::uint32_t row, std::uint32_t column, std::uint16_t xf, std::uint8_t value,
                                 bool error);
  // A text (UTF-8), shown through its XF's format when that has a section for texts:
  ReadStatus store_text(std::uint32_t row, std::uint32_t column, std::uint16_t xf, std::string& utf8);
  // A formula's eight-byte cached result; a text result waits for the STRING record:
  ReadStatus store_formula_result(std::uint32_t row, std::uint32_t column, std::uint16_t xf, std::string_view result);
  // The text of a STRING record, for the formula before it (if one waits).
  ReadStatus store_text_result(std::string& utf8);
  // COLINFO's data: first and last column, width in 1/256 of a character.
  void read_column_width(std::string_view data);

 private:
  ReadStatus read_cell(const Record& record, RecordReader& reader);
  void read_merged_ranges(std::string_view data);
  ReadStatus read_formula(std::uint32_t row, std::uint32_t column, std::uint16_t xf, std::string_view data);
  ReadStatus store_typed(std::uint32_t row, std::uint32_t column, std::uint16_t xf, CellKind kind, double value,
                         std::string_view utf8);
  ReadStatus store_ascii(std::uint32_t row, std::uint32_t column, std::string_view text);
  ReadStatus store_utf8(std::uint32_t row, std::uint32_t column, std::string_view text);
  ReadStatus store_string(std::uint32_t row, std::uint32_t column, const Record& record, std::size_t at,
                          RecordReader& reader, std::uint16_t xf);
  ReadStatus store_shared_string(std::uint32_t row, std::uint32_t column, const TextSpan& span, std::uint16_t xf);
  bool formats_texts(std::uint16_t xf);

  std::uint32_t style_of(std::uint16_t xf);

  CellGrid& grid_;
  CellGrid::Storage& storage_;
  const SharedStringSpans& strings_;
  const StyleFormats& formats_;
  bool date1904_;
  StringForm string_form_;  // of LABEL, RSTRING and STRING
  NumberFormatter formatter_;
  // Per XF, once asked: 0 not yet, 1 texts show as they are, 2 through the
  // format's section for texts.
  std::vector<std::uint8_t> text_formats_;
  std::size_t xf_count_;
  std::uint32_t general_style_ = UINT32_MAX;  // the entry added for XFs past the globals' ones
  SheetLooksReader* looks_ = nullptr;

  // A formula whose text result follows in a STRING record.
  bool text_result_pending_ = false;
  std::uint32_t pending_row_ = 0;
  std::uint32_t pending_column_ = 0;
  std::uint16_t pending_xf_ = 0;

  std::vector<std::string_view> fragments_;
  std::string text_;
};

}  // namespace sheetlib::xls
