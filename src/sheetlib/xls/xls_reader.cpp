#include "sheetlib/xls/xls_reader.h"

#include <memory>
#include <string>
#include <unordered_map>

#include "sheetlib/xls/biff_records.h"
#include "sheetlib/core/sheet_look.h"
#include "sheetlib/xls/compound_file.h"
#include "sheetlib/xls/little_endian.h"
#include "sheetlib/xls/old_biff_reader.h"
#include "sheetlib/xls/workbook_decryption.h"
#include "sheetlib/xls/workbook_globals.h"
#include "sheetlib/xls/worksheet_cells.h"

namespace sheetlib::xls {

namespace {

// The substream type of the BOF record at `offset`, or -1 when there is none.
long substream_at(std::string_view stream, std::size_t offset) {
  RecordReader reader(stream, offset);
  Record bof;
  if (!reader.next(bof) || bof.type != record::kBof || bof.data.size() < 4) return -1;
  return le16(bof.data, 2);
}

// The worksheets of the workbook in tab order: where each begins, and its
// name. Chart, macro and dialog sheets are left out.
struct Worksheets {
  std::vector<std::uint32_t> offsets;
  std::vector<std::string> names;
  std::vector<std::size_t> tabs;  // their positions among the sheets of every kind
};

void list_worksheets(std::string_view stream, WorkbookGlobals& globals, Worksheets& worksheets) {
  // Whether the sheet at an offset is a worksheet, found once per offset, so
  // that a list naming one sheet a million times looks at it once.
  std::unordered_map<std::uint32_t, bool> is_worksheet;
  for (ListedSheet& listed : globals.worksheets) {
    auto [known, first_time] = is_worksheet.try_emplace(listed.offset, true);
    if (first_time) {
      const long type = substream_at(stream, listed.offset);
      // A sheet the globals list that is not there counts as the worksheet
      // they say it is: reading it fails as damaged, the others still load.
      known->second = type < 0 || (type == substream::kWorksheet && !is_dialog_sheet(stream, listed.offset));
    }
    if (!known->second) continue;
    worksheets.offsets.push_back(listed.offset);
    worksheets.names.push_back(std::move(listed.name));
    worksheets.tabs.push_back(listed.tab);
  }
  if (globals.sheet_count > 0) return;
  // Globals without BOUNDSHEET records (written by hand): the sheets follow
  // them in order, named as the application names new sheets. A BOF inside
  // a sheet opens a chart embedded in it.
  RecordReader reader(stream, globals.end);
  int depth = 0;
  for (;;) {
    const std::size_t at = reader.position();
    Record record;
    if (!reader.next(record)) return;
    if (record.type == record::kEof && depth > 0) --depth;
    if (record.type != record::kBof) continue;
    if (depth++ > 0) continue;
    if (record.data.size() >= 4 && le16(record.data, 2) == substream::kWorksheet && !is_dialog_sheet(stream, at)) {
      worksheets.tabs.push_back(worksheets.offsets.size());
      worksheets.offsets.push_back(static_cast<std::uint32_t>(at));
      worksheets.names.push_back("Sheet" + std::to_string(worksheets.offsets.size()));
    }
  }
}

}  // namespace

bool is_xls_file(std::string_view file_bytes) {
  return is_compound_file(file_bytes) || is_old_biff_stream(file_bytes);
}

ReadStatus read_xls_worksheet(std::string_view file_bytes, int index, CellGrid& grid,
                              std::vector<std::string>& sheet_names, const ReadLimits& limits) {
  if (!is_compound_file(file_bytes) && is_old_biff_stream(file_bytes))
    return read_old_biff_worksheet(file_bytes, index, grid, sheet_names, limits);
  CellGrid::Storage& storage = grid.storage();
  CompoundFile file;
  if (const ReadStatus status = file.open(file_bytes); status != ReadStatus::ok) return status;

  // Excel 5.0 and 95 named the stream "Book"; the BOF inside tells the
  // version either way (Excel 97 could write BIFF5 into a "Workbook").
  std::string copy;
  std::string_view stream;
  const char* const stream_name = !file.has_stream("Workbook") && file.has_stream("Book") ? "Book" : "Workbook";
  if (const ReadStatus status = file.read_stream(stream_name, limits.max_total_inflated_bytes, copy, stream);
      status != ReadStatus::ok)
    return status;
  // An Excel 4.0 stream put into a compound file by some later program.
  if (is_old_biff_stream(stream)) return read_old_biff_worksheet(stream, index, grid, sheet_names, limits);

  Look* const look = grid.look();
  WorkbookGlobals globals;
  globals.want_look = look != nullptr;
  ReadStatus globals_status = read_workbook_globals(stream, storage, limits, globals);
  // Encrypted with Excel's own password (a workbook whose structure is
  // protected): read from a decrypted copy, kept in memory only.
  std::string decrypted;
  if (globals_status == ReadStatus::encrypted) {
    if (const ReadStatus status = decrypt_workbook_stream(stream, kDefaultPassword, decrypted);
        status != ReadStatus::ok)
      return status;
    stream = decrypted;
    globals = WorkbookGlobals();
    globals.want_look = look != nullptr;
    globals.decrypted = true;
    globals_status = read_workbook_globals(stream, storage, limits, globals);
  }
  if (globals_status != ReadStatus::ok) return globals_status;
  Worksheets worksheets;
  list_worksheets(stream, globals, worksheets);
  if (worksheets.offsets.empty()) return ReadStatus::not_a_workbook;
  if (index < 0 || static_cast<std::size_t>(index) >= worksheets.offsets.size()) return ReadStatus::no_such_sheet;
  const auto sheet = static_cast<std::size_t>(index);
  grid.style_formats() = std::move(globals.style_formats);
  WorksheetCells cells(grid, globals.strings, globals.formats, globals.date1904, globals.string_form);
  std::unique_ptr<SheetLooksReader> looks;
  if (look) {
    *look = Look();
    globals.looks.build(look->book);
    looks = std::make_unique<SheetLooksReader>(*look, look->book.cells.size(), globals.string_form);
    cells.keep_look(looks.get());
  }
  if (const ReadStatus status = cells.read(stream, worksheets.offsets[sheet]); status != ReadStatus::ok)
    return status;
  if (look) {
    looks->finish();
    apply_builtin_names(globals.builtin_names, worksheets.tabs[sheet], looks->has_filter(), look->sheet);
    // Cells naming an XF past the globals' ones have a style entry of
    // their own (General), with the default look.
    if (look->book.cells.size() < grid.style_formats().size()) look->book.cells.resize(grid.style_formats().size());
  }
  storage.finish();
  sheet_names = std::move(worksheets.names);
  return ReadStatus::ok;
}

}  // namespace sheetlib::xls
