#include "sheetlib/xls/old_biff_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "sheetlib/core/sheet_look.h"
#include "sheetlib/core/style_formats.h"
#include "sheetlib/xls/biff_records.h"
#include "sheetlib/xls/biff_strings.h"
#include "sheetlib/xls/little_endian.h"
#include "sheetlib/xls/worksheet_cells.h"

namespace sheetlib::xls {

namespace {

// A BIFF2 cell names XF 63 when its XF lies beyond what six bits hold; the
// IXFE record before it gives the index.
constexpr std::uint8_t kXfInIxfe = 63;

// A workbook may list far fewer sheets than a damaged one could claim.
constexpr std::size_t kMaxSheets = 65'536;
constexpr std::size_t kMaxXfs = 65'536;
// An XF names its format by one byte (six bits in BIFF2).
constexpr std::size_t kMaxFormats = 256;
constexpr std::uint32_t kOwnFormatIds = 164;  // style ids of formats the file gives

// The formats Excel 2.x to 4 list first in every file, in this order: a
// file without FORMAT records still means them.
constexpr std::array<std::string_view, 21> kListedFormats = {
    "General", "0", "0.00", "#,##0", "#,##0.00",
    "\"$\"#,##0_);(\"$\"#,##0)", "\"$\"#,##0_);[Red](\"$\"#,##0)",
    "\"$\"#,##0.00_);(\"$\"#,##0.00)", "\"$\"#,##0.00_);[Red](\"$\"#,##0.00)",
    "0%", "0.00%", "0.00E+00", "m/d/yy", "d-mmm-yy", "d-mmm", "mmm-yy",
    "h:mm AM/PM", "h:mm:ss AM/PM", "h:mm", "h:mm:ss", "m/d/yy h:mm",
};

bool is_old_bof(std::uint16_t type) {
  return type == record::kBofBiff2 || type == record::kBofBiff3 || type == record::kBofBiff4;
}

bool is_worksheet(std::uint16_t substream) {
  // Any other type reads as a worksheet, as Excel reads it.
  return substream != substream::kChart && substream != substream::kMacroSheet && substream != substream::kWorkbook4;
}

// A byte string of the workbook's code page after a count of `count_bytes`
// (1 or 2) at `at`; false when the data ends inside it.
bool read_byte_string(std::string_view data, std::size_t at, int count_bytes, std::uint16_t code_page,
                      std::string& utf8) {
  utf8.clear();
  if (data.size() < at + count_bytes) return false;
  const std::size_t count = count_bytes == 1 ? static_cast<std::uint8_t>(data[at]) : le16(data, at);
  at += count_bytes;
  if (data.size() - at < count) return false;
  append_code_page(data.substr(at, count), code_page, utf8);
  return true;
}

// Moves past the substream whose BOF was just read, to its EOF (charts
// embedded in it are substreams inside it); false when the stream ends first.
bool skip_substream(RecordReader& reader) {
  Record record;
  for (int depth = 1; reader.next(record);) {
    if (is_old_bof(record.type) || record.type == record::kBof) ++depth;
    if (record.type == record::kEof && --depth == 0) return true;
  }
  return false;
}

struct SheetPlace {
  std::size_t offset = 0;
  std::string name;
};

struct OldBook {
  StringForm form{true, kCodePageWestern};
  bool date1904 = false;
  std::vector<SheetPlace> worksheets;
};

// CODEPAGE and DATEMODE, in the globals or in a sheet; false for other records.
bool read_book_setting(const Record& record, OldBook& book) {
  if (record.type == record::kCodePage) {
    if (record.data.size() >= 2) book.form.code_page = le16(record.data, 0);
    return true;
  }
  if (record.type == record::kDateMode) {
    book.date1904 = record.data.size() >= 2 && le16(record.data, 0) == 1;
    return true;
  }
  return false;
}

// Hands each record of the sheet whose BOF lies at `offset` (not those of
// charts embedded in it) to `take`, up to the sheet's EOF; malformed when
// the stream ends before the sheet does (cells would be missing), or with
// the first status other than ok that `take` returns.
template <typename Take>
ReadStatus for_each_sheet_record(std::string_view stream, std::size_t offset, Take take) {
  RecordReader reader(stream, offset);
  Record record;
  if (!reader.next(record) || !is_old_bof(record.type)) return ReadStatus::malformed;
  for (int depth = 1; reader.next(record);) {
    if (is_old_bof(record.type) || record.type == record::kBof) {
      ++depth;
    } else if (record.type == record::kEof) {
      if (--depth == 0) return ReadStatus::ok;
    } else if (depth == 1) {
      if (const ReadStatus status = take(record); status != ReadStatus::ok) return status;
    }
  }
  return ReadStatus::malformed;
}

// The worksheets of the stream: the file's one sheet, or those of an Excel
// 4 workbook, with the globals' code page and date system.
ReadStatus list_worksheets(std::string_view stream, OldBook& book) {
  RecordReader reader(stream);
  Record record;
  if (!reader.next(record) || !is_old_bof(record.type) || record.data.size() < 4) return ReadStatus::malformed;
  const std::uint16_t substream = le16(record.data, 2);
  if (substream != substream::kWorkbook4) {
    if (!is_worksheet(substream)) return ReadStatus::not_a_workbook;
    book.worksheets.push_back({0, "Sheet1"});
    return ReadStatus::ok;
  }
  // The globals name their sheets in BUNDLESHEET records (only a name each),
  // and each sheet's SHEETHDR names it again; the globals' EOF may come
  // before the sheets or after them.
  std::vector<std::string> listed_names;
  std::string header_name;
  std::size_t sheets_seen = 0;
  for (;;) {
    const std::size_t at = reader.position();
    if (!reader.next(record)) break;
    if (read_book_setting(record, book)) continue;
    switch (record.type) {
      case record::kBoundSheet:
        if (listed_names.size() < kMaxSheets) {
          listed_names.emplace_back();
          read_byte_string(record.data, 0, 1, book.form.code_page, listed_names.back());
        }
        break;
      case record::kSheetHeader:
        // The substream's size (four bytes), then the sheet's name.
        read_byte_string(record.data, 4, 1, book.form.code_page, header_name);
        break;
      default: {
        if (!is_old_bof(record.type)) break;
        const bool whole = skip_substream(reader);
        const std::uint16_t type = record.data.size() >= 4 ? le16(record.data, 2) : 0;
        if (is_worksheet(type) && book.worksheets.size() < kMaxSheets) {
          std::string name = std::move(header_name);
          if (name.empty() && sheets_seen < listed_names.size()) name = listed_names[sheets_seen];
          if (name.empty()) name = "Sheet" + std::to_string(book.worksheets.size() + 1);
          book.worksheets.push_back({at, std::move(name)});
        }
        header_name.clear();
        ++sheets_seen;
        // A sheet cut short is listed, and fails when read.
        if (!whole) return ReadStatus::ok;
        break;
      }
    }
  }
  if (book.worksheets.empty()) return reader.truncated() ? ReadStatus::malformed : ReadStatus::not_a_workbook;
  return ReadStatus::ok;
}

// The sheet's formats: FORMAT records list the codes, an XF names one by
// its position in the list. A damaged FORMAT keeps its place as General.
struct SheetFormats {
  std::vector<std::string> codes;         // by format index
  std::vector<std::uint16_t> xf_formats;  // by XF index
  bool has_xfs = false;

  std::string_view code(std::uint16_t format) const {
    if (format < codes.size()) return codes[format];
    return format < kListedFormats.size() ? kListedFormats[format] : std::string_view("General");
  }
};

void add_format(const Record& record, const StringForm& form, SheetFormats& formats) {
  if (formats.codes.size() >= kMaxFormats) return;
  // BIFF4's record has two bytes before the code that its readers pass over.
  const std::size_t at = record.type == record::kFormat ? 2 : 0;
  std::string code;
  if (!read_byte_string(record.data, at, 1, form.code_page, code) || code.find('\0') != std::string::npos)
    code = "General";
  formats.codes.push_back(std::move(code));
}

void add_xf(const Record& record, SheetFormats& formats) {
  formats.has_xfs = true;
  if (formats.xf_formats.size() >= kMaxXfs) return;
  // BIFF2 keeps the format in the low six bits of the third byte, BIFF3
  // and 4 in the second byte; a record too short means General.
  const std::string_view data = record.data;
  std::uint16_t format = 0;
  if (record.type == record::kXf2 && data.size() >= 3) format = static_cast<std::uint8_t>(data[2]) & 0x3F;
  if (record.type != record::kXf2 && data.size() >= 2) format = static_cast<std::uint8_t>(data[1]);
  formats.xf_formats.push_back(format);
}

// First pass over the sheet: its formats, code page and date system, which
// Excel writes before the cells but which the cells are read with wherever
// they are.
ReadStatus read_sheet_formats(std::string_view stream, std::size_t offset, OldBook& book, SheetFormats& formats) {
  return for_each_sheet_record(stream, offset, [&](const Record& record) {
    if (read_book_setting(record, book)) return ReadStatus::ok;
    if (record.type == record::kFormat2 || record.type == record::kFormat) add_format(record, book.form, formats);
    if (record.type == record::kXf2 || record.type == record::kXf3 || record.type == record::kXf4) add_xf(record, formats);
    return ReadStatus::ok;
  });
}

// The second pass: the cells. A cell record too short for its kind, or
// beyond the grid's columns, is left out.
class OldCells {
 public:
  OldCells(WorksheetCells& cells, const StringForm& form, bool xfs_given)
      : cells_(cells), form_(form), xfs_given_(xfs_given) {}

  ReadStatus read(const Record& record) {
    const std::string_view data = record.data;
    switch (record.type) {
      case record::kIxfe2:
        if (data.size() >= 2) ixfe_ = le16(data, 0);
        return ReadStatus::ok;
      case record::kColWidth2:
        // First and last column a byte each, then the width: COLINFO's
        // fields with two-byte columns.
        if (data.size() >= 4) {
          const char colinfo[6] = {data[0], 0, data[1], 0, data[2], data[3]};
          cells_.read_column_width(std::string_view(colinfo, sizeof colinfo));
        }
        return ReadStatus::ok;
      case record::kColInfo:
        cells_.read_column_width(data);
        return ReadStatus::ok;
      case record::kString2:
        if (!read_byte_string(data, 0, 1, form_.code_page, text_)) return ReadStatus::ok;
        return cells_.store_text_result(text_);
      case record::kString:
        if (!read_byte_string(data, 0, 2, form_.code_page, text_)) return ReadStatus::ok;
        return cells_.store_text_result(text_);
      default:
        break;
    }
    const bool biff2 = record.type <= record::kFormula;
    if (!is_cell(record.type)) return ReadStatus::ok;
    // Row and column, then BIFF2's three attribute bytes or the XF index.
    const std::size_t head = biff2 ? 7 : 6;
    if (data.size() < head) return ReadStatus::ok;
    const std::uint32_t row = le16(data, 0);
    const std::uint32_t column = le16(data, 2);
    if (column >= kMaxColumns) return ReadStatus::ok;
    const std::uint16_t xf = biff2 ? attribute_xf(data) : le16(data, 4);
    const std::string_view value = data.substr(head);
    switch (record.type) {
      case record::kInteger2:
        if (value.size() < 2) return ReadStatus::ok;
        return cells_.store_number(row, column, xf, le16(value, 0));
      case record::kNumber2:
      case record::kNumber:
        if (value.size() < 8) return ReadStatus::ok;
        return cells_.store_number(row, column, xf, le_double(value.data()));
      case record::kRk:
        if (value.size() < 4) return ReadStatus::ok;
        return cells_.store_number(row, column, xf, rk_value(le32(value, 0)));
      case record::kLabel2:
      case record::kLabel:
        if (!read_byte_string(value, 0, biff2 ? 1 : 2, form_.code_page, text_)) return ReadStatus::ok;
        return cells_.store_text(row, column, xf, text_);
      case record::kBoolErr2:
      case record::kBoolErr:
        if (value.size() < 2) return ReadStatus::ok;
        return cells_.store_bool_or_error(row, column, xf, static_cast<std::uint8_t>(value[0]), value[1] != 0);
      case record::kFormula:
      case record::kFormula3:
      case record::kFormula4:
        if (value.size() < 8) return ReadStatus::ok;
        return cells_.store_formula_result(row, column, xf, value.substr(0, 8));
      default:
        return ReadStatus::ok;  // BLANK: formatting only
    }
  }

 private:
  static bool is_cell(std::uint16_t type) {
    switch (type) {
      case record::kInteger2:
      case record::kNumber2:
      case record::kLabel2:
      case record::kBoolErr2:
      case record::kFormula:
      case record::kFormula3:
      case record::kFormula4:
      case record::kNumber:
      case record::kLabel:
      case record::kBoolErr:
      case record::kRk:
        return true;
      default:
        return false;
    }
  }

  // A BIFF2 cell's XF: the low six bits of its first attribute byte (63:
  // the IXFE record's). A file without XF records names the format itself,
  // in the second byte, and its formats stand in for the XFs.
  std::uint16_t attribute_xf(std::string_view data) const {
    if (!xfs_given_) return static_cast<std::uint8_t>(data[5]) & 0x3F;
    const std::uint8_t xf = static_cast<std::uint8_t>(data[4]) & 0x3F;
    return xf == kXfInIxfe ? ixfe_ : xf;
  }

  WorksheetCells& cells_;
  const StringForm& form_;
  bool xfs_given_;
  std::uint16_t ixfe_ = 0;
  std::string text_;
};

}  // namespace

bool is_old_biff_stream(std::string_view bytes) {
  if (bytes.size() < 8 || !is_old_bof(le16(bytes, 0))) return false;
  // BIFF2's BOF has four bytes, BIFF3's and 4's six.
  const std::uint16_t length = le16(bytes, 2);
  return length >= 4 && length <= 16;
}

ReadStatus read_old_biff_worksheet(std::string_view stream, int index, CellGrid& grid,
                                   std::vector<std::string>& sheet_names, const ReadLimits& limits) {
  (void)limits;  // the stream is the file, read whole already
  OldBook book;
  if (const ReadStatus status = list_worksheets(stream, book); status != ReadStatus::ok) return status;
  if (index < 0 || static_cast<std::size_t>(index) >= book.worksheets.size()) return ReadStatus::no_such_sheet;
  const std::size_t offset = book.worksheets[static_cast<std::size_t>(index)].offset;

  SheetFormats formats;
  if (const ReadStatus status = read_sheet_formats(stream, offset, book, formats); status != ReadStatus::ok)
    return status;
  // Without XF records, the cells name their formats, which then serve as
  // XFs of their own.
  if (!formats.has_xfs) {
    const std::size_t count = std::max(formats.codes.size(), kListedFormats.size());
    for (std::size_t i = 0; i < count; ++i) formats.xf_formats.push_back(static_cast<std::uint16_t>(i));
  }
  std::vector<std::string> codes;
  std::vector<StyleNumberFormat>& styles = grid.style_formats();
  styles.clear();
  for (const std::uint16_t format : formats.xf_formats) {
    const std::string_view code = formats.code(format);
    codes.emplace_back(code);
    if (code == "General") {
      styles.push_back({0, std::string()});
    } else {
      styles.push_back({static_cast<int>(kOwnFormatIds + format), std::string(code)});
    }
  }
  const StyleFormats style_formats(std::move(codes));
  const SharedStringSpans no_shared_strings;
  WorksheetCells cells(grid, no_shared_strings, style_formats, book.date1904, book.form);
  OldCells old(cells, book.form, formats.has_xfs);
  const auto read_cell = [&old](const Record& record) { return old.read(record); };
  if (const ReadStatus status = for_each_sheet_record(stream, offset, read_cell); status != ReadStatus::ok)
    return status;
  if (Look* const look = grid.look()) *look = Look();
  grid.storage().finish();
  for (SheetPlace& sheet : book.worksheets) sheet_names.push_back(std::move(sheet.name));
  return ReadStatus::ok;
}

}  // namespace sheetlib::xls
