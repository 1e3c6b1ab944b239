#include "sheetlib/xls/workbook_globals.h"

#include "sheetlib/xls/biff_records.h"
#include "sheetlib/xls/biff_strings.h"
#include "sheetlib/xls/cell_formats.h"
#include "sheetlib/xls/little_endian.h"
#include "sheetlib/xls/shared_string_table.h"

namespace sheetlib::xls {

namespace {

constexpr std::uint8_t kWorksheetOrDialog = 0x00;  // BOUNDSHEET's sheet type

// NAME records the look keeps: the three built-in names of each sheet,
// written once each by the application.
constexpr std::size_t kMaxBuiltinNames = 65'536;

// Excel 5.0 and 95 wrote BIFF5 (95's additions, "BIFF7", keep its version
// number); the differences the cells show are in the strings.
ReadStatus check_bof(const Record& bof, StringForm& form) {
  if (bof.type == record::kBofBiff2 || bof.type == record::kBofBiff3 || bof.type == record::kBofBiff4)
    return ReadStatus::unsupported_version;
  if (bof.type != record::kBof || bof.data.size() < 4) return ReadStatus::malformed;
  const std::uint16_t version = le16(bof.data, 0);
  if (version != kBiff8 && version != kBiff5) return ReadStatus::unsupported_version;
  form.byte_strings = version == kBiff5;
  return le16(bof.data, 2) == substream::kGlobals ? ReadStatus::ok : ReadStatus::malformed;
}

// BOUNDSHEET: the offset of the sheet's BOF (four bytes), its visibility
// and type (a byte each), its name (a string with a one-byte count).
ReadStatus add_listed_sheet(std::string_view data, std::vector<std::string_view>& fragments,
                            WorkbookGlobals& globals) {
  // A byte string (BIFF5) has a count but no flags byte: the same place.
  if (data.size() < 6) return ReadStatus::malformed;
  ++globals.sheet_count;
  if (static_cast<std::uint8_t>(data[5]) != kWorksheetOrDialog) return ReadStatus::ok;
  ListedSheet sheet;
  sheet.offset = le32(data, 0);
  sheet.tab = globals.sheet_count - 1;
  fragments.assign(1, data.substr(6));
  FragmentCursor cursor(fragments);
  if (!cursor.read_string(true, globals.string_form, sheet.name)) return ReadStatus::malformed;
  globals.worksheets.push_back(std::move(sheet));
  return ReadStatus::ok;
}

}  // namespace

ReadStatus read_workbook_globals(std::string_view stream, CellGrid::Storage& storage, const ReadLimits& limits,
                                 WorkbookGlobals& globals) {
  RecordReader reader(stream);
  Record record;
  if (!reader.next(record)) return ReadStatus::malformed;
  if (const ReadStatus status = check_bof(record, globals.string_form); status != ReadStatus::ok) return status;

  CellFormatsBuilder formats;
  bool strings_read = false;
  std::vector<std::string_view> fragments;
  while (reader.next(record)) {
    switch (record.type) {
      case record::kEof:
        globals.formats = formats.build();
        globals.style_formats = formats.style_number_formats();
        globals.end = reader.position();
        return ReadStatus::ok;
      case record::kFilePass:
        if (!globals.decrypted) return ReadStatus::encrypted;
        break;
      case record::kCodePage:
        // Only byte strings are in it: BIFF8 says 1200 (UTF-16) and means
        // its Unicode strings. The record comes before any string.
        if (globals.string_form.byte_strings && record.data.size() >= 2)
          globals.string_form.code_page = le16(record.data, 0);
        break;
      case record::kDateMode:
        globals.date1904 = record.data.size() >= 2 && le16(record.data, 0) == 1;
        break;
      case record::kBoundSheet:
        if (const ReadStatus status = add_listed_sheet(record.data, fragments, globals); status != ReadStatus::ok)
          return status;
        break;
      // Formats only dress the numbers: a damaged FORMAT or XF record costs
      // its format (the cells show as General), not the workbook. Fonts,
      // fills, borders and names cost their look alike, and are only read
      // for a load that keeps the look.
      case record::kFormat:
        reader.with_continues(record, fragments);
        formats.add_format(fragments, globals.string_form);
        break;
      case record::kXf:
        formats.add_xf(record.data);
        if (globals.want_look) globals.looks.add_xf(record.data, globals.string_form.byte_strings);
        break;
      case record::kFont:
        if (!globals.want_look) break;
        reader.with_continues(record, fragments);
        globals.looks.add_font(fragments, globals.string_form);
        break;
      case record::kPalette:
        if (globals.want_look) globals.looks.add_palette(record.data);
        break;
      case record::kName:
        if (globals.want_look && globals.builtin_names.size() < kMaxBuiltinNames) {
          BuiltinName name;
          if (read_builtin_name(record.data, globals.string_form.byte_strings, name))
            globals.builtin_names.push_back(std::move(name));
        }
        break;
      case record::kSst:
        // A workbook has one table; a second one is no writer's.
        reader.with_continues(record, fragments);
        if (strings_read) break;
        strings_read = true;
        if (const ReadStatus status =
                read_shared_string_table(fragments, storage, limits.max_shared_strings, globals.strings);
            status != ReadStatus::ok)
          return status;
        break;
      default:
        break;
    }
  }
  return ReadStatus::malformed;  // no EOF: the stream was cut short
}

}  // namespace sheetlib::xls
