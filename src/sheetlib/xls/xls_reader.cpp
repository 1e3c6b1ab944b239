#include "sheetlib/xls/xls_reader.h"

#include <string>
#include <unordered_set>

#include "sheetlib/xls/biff_records.h"
#include "sheetlib/xls/compound_file.h"
#include "sheetlib/xls/little_endian.h"
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

// The offset of the first worksheet's BOF record, or not_a_workbook when
// the workbook has none.
ReadStatus find_first_worksheet(std::string_view stream, const WorkbookGlobals& globals, std::size_t& offset) {
  // Sheets passed over, so that a list naming one sheet a million times
  // looks at it once.
  std::unordered_set<std::uint32_t> passed_over;
  for (const std::uint32_t candidate : globals.worksheet_offsets) {
    if (passed_over.count(candidate)) continue;
    const long type = substream_at(stream, candidate);
    // A sheet the globals list that is not there: the stream is damaged.
    if (type < 0) return ReadStatus::malformed;
    passed_over.insert(candidate);
    if (type == substream::kWorksheet && !is_dialog_sheet(stream, candidate)) {
      offset = candidate;
      return ReadStatus::ok;
    }
  }
  if (globals.sheet_count > 0) return ReadStatus::not_a_workbook;
  // Globals without BOUNDSHEET records (written by hand): the sheets follow
  // them in order.
  RecordReader reader(stream, globals.end);
  for (;;) {
    const std::size_t at = reader.position();
    Record record;
    if (!reader.next(record)) return ReadStatus::not_a_workbook;
    if (record.type == record::kBof && record.data.size() >= 4 && le16(record.data, 2) == substream::kWorksheet) {
      offset = at;
      return ReadStatus::ok;
    }
  }
}

}  // namespace

ReadStatus read_xls_first_worksheet(std::string_view file_bytes, CellGrid::Storage& storage,
                                    const ReadLimits& limits) {
  CompoundFile file;
  if (const ReadStatus status = file.open(file_bytes); status != ReadStatus::ok) return status;
  // An .xlsx saved with a password is an encrypted package in a compound file.
  if (file.has_stream("EncryptedPackage")) return ReadStatus::encrypted;

  std::string copy;
  std::string_view stream;
  if (const ReadStatus status = file.read_stream("Workbook", limits.max_total_inflated_bytes, copy, stream);
      status != ReadStatus::ok) {
    // Excel 5 and 95 named the stream "Book".
    if (status == ReadStatus::not_a_workbook && file.has_stream("Book")) return ReadStatus::unsupported_version;
    return status;
  }

  WorkbookGlobals globals;
  if (const ReadStatus status = read_workbook_globals(stream, storage, limits, globals); status != ReadStatus::ok)
    return status;
  std::size_t offset = 0;
  if (const ReadStatus status = find_first_worksheet(stream, globals, offset); status != ReadStatus::ok)
    return status;
  WorksheetCells cells(storage, globals.strings, globals.formats, globals.date1904);
  if (const ReadStatus status = cells.read(stream, offset); status != ReadStatus::ok) return status;
  storage.finish();
  return ReadStatus::ok;
}

}  // namespace sheetlib::xls
