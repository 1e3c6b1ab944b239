#include "sheetlib/xls/worksheet_cells.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "sheetlib/format/number_format.h"
#include "text/encoding.h"
#include "sheetlib/core/limits.h"
#include "sheetlib/xls/biff_strings.h"
#include "sheetlib/xls/little_endian.h"

namespace sheetlib::xls {

namespace {

constexpr std::uint16_t kDimension = 0x0200;
constexpr std::uint8_t kDialogFlag = 0x10;  // in the first byte of WSBOOL
// How far into a substream its WSBOOL record is looked for: Excel writes it
// among the first twenty records, before any cell.
constexpr int kHeaderRecords = 256;

// The cached result of a FORMULA record: a double, unless its last two
// bytes are 0xFFFF; then the first byte tells the kind.
constexpr std::uint8_t kResultText = 0;  // the text follows in a STRING record
constexpr std::uint8_t kResultBoolean = 1;
constexpr std::uint8_t kResultError = 2;
constexpr std::uint8_t kResultEmptyText = 3;

// A BIFF8 sheet has 256 columns: merged ranges and column widths beyond
// them are no writer's. (Cells further right are read all the same, as the
// grid has room for them.)
constexpr std::uint32_t kBiff8Columns = 256;
// A sheet of a million merged ranges is either damage or an attack; the
// application keeps far fewer. Column widths are capped alike, as a sheet
// may set its 256 columns over and over.
constexpr std::size_t kMaxMergedRanges = 65'536;
constexpr std::size_t kMaxColumnWidths = 65'536;
// The widest column Excel allows, in characters.
constexpr double kMaxColumnWidth = 255;

bool is_cell_record(std::uint16_t type) {
  switch (type) {
    case record::kFormula:
    case record::kMulRk:
    case record::kRString:
    case record::kLabelSst:
    case record::kNumber:
    case record::kLabel:
    case record::kBoolErr:
    case record::kRk:
    case kDimension:
      return true;
    default:
      return false;
  }
}

}  // namespace

double rk_value(std::uint32_t rk) {
  double value;
  if (rk & 0x02) {
    // A signed 30-bit integer.
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    // The upper 30 bits of a double, the lower 34 zero.
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & 0x01) ? value / 100 : value;
}

std::string_view error_text(std::uint8_t code) {
  switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    case 0x2B: return "#GETTING_DATA";
    // No code of the format: the cell holds an error all the same, which
    // showing nothing would hide.
    default: return "#N/A";
  }
}

bool is_dialog_sheet(std::string_view stream, std::size_t offset) {
  RecordReader reader(stream, offset);
  Record record;
  if (!reader.next(record)) return false;  // the BOF
  for (int i = 0; i < kHeaderRecords && reader.next(record); ++i) {
    if (record.type == record::kWsBool) return !record.data.empty() && (record.data[0] & kDialogFlag);
    if (record.type == record::kBof || record.type == record::kEof || is_cell_record(record.type)) return false;
  }
  return false;
}

ReadStatus WorksheetCells::read(std::string_view stream, std::size_t offset) {
  RecordReader reader(stream, offset);
  Record record;
  if (!reader.next(record) || record.type != record::kBof) return ReadStatus::malformed;
  // Charts drawn on the sheet are substreams of their own inside it, whose
  // series may cache values in cell records of their own.
  int depth = 1;
  while (reader.next(record)) {
    if (record.type == record::kBof) {
      ++depth;
    } else if (record.type == record::kEof) {
      if (--depth == 0) return ReadStatus::ok;
    } else if (depth == 1) {
      if (looks_) looks_->take(record);
      // Merges and widths only dress the table: damaged ones are passed
      // over rather than costing the cells.
      if (record.type == record::kMergedCells) {
        read_merged_ranges(record.data);
      } else if (record.type == record::kColInfo) {
        read_column_width(record.data);
      } else if (const ReadStatus status = read_cell(record, reader); status != ReadStatus::ok) {
        return status;
      }
    }
  }
  // The stream ended before the sheet did: cells would be missing.
  return ReadStatus::malformed;
}

ReadStatus WorksheetCells::read_cell(const Record& record, RecordReader& reader) {
  const std::string_view data = record.data;
  if (record.type == record::kString) {
    if (!text_result_pending_) return ReadStatus::ok;
    text_result_pending_ = false;
    return store_string(pending_row_, pending_column_, record, 0, reader, pending_xf_);
  }
  if (!is_cell_record(record.type) || record.type == kDimension) return ReadStatus::ok;
  // Every cell record begins with its row and column; all but MULRK with
  // the index of its XF next.
  if (data.size() < 6) return ReadStatus::malformed;
  text_result_pending_ = false;
  const std::uint32_t row = le16(data, 0);
  const std::uint32_t column = le16(data, 2);
  const std::uint16_t xf = le16(data, 4);
  if (column >= kMaxColumns) return ReadStatus::malformed;
  switch (record.type) {
    case record::kLabelSst: {
      if (data.size() < 10) return ReadStatus::malformed;
      const std::uint32_t index = le32(data, 6);
      // A cell that points at a string the workbook does not have is damage;
      // showing it empty would hide that a text was lost.
      if (index >= strings_.size()) return ReadStatus::malformed;
      return store_shared_string(row, column, strings_[index], xf);
    }
    case record::kLabel:
    case record::kRString:  // a label with formatting runs after its text
      return store_string(row, column, record, 6, reader, xf);
    case record::kNumber:
      if (data.size() < 14) return ReadStatus::malformed;
      return store_number(row, column, xf, le_double(data.data() + 6));
    case record::kRk:
      if (data.size() < 10) return ReadStatus::malformed;
      return store_number(row, column, xf, rk_value(le32(data, 6)));
    case record::kMulRk: {
      // Row, first column, then XF and RK number for each column, then the
      // last column, which the record's length already tells.
      const std::size_t count = (data.size() - 6) / 6;
      if (count == 0 || column + count > kMaxColumns) return ReadStatus::malformed;
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t at = static_cast<std::uint32_t>(4 + 6 * i);
        if (const ReadStatus status =
                store_number(row, column + static_cast<std::uint32_t>(i), le16(data, at), rk_value(le32(data, at + 2)));
            status != ReadStatus::ok)
          return status;
      }
      return ReadStatus::ok;
    }
    case record::kBoolErr:
      if (data.size() < 8) return ReadStatus::malformed;
      return store_bool_or_error(row, column, xf, static_cast<std::uint8_t>(data[6]), data[7] != 0);
    case record::kFormula:
      return read_formula(row, column, xf, data);
    default:
      return ReadStatus::ok;
  }
}

ReadStatus WorksheetCells::read_formula(std::uint32_t row, std::uint32_t column, std::uint16_t xf,
                                        std::string_view data) {
  if (data.size() < 14) return ReadStatus::malformed;
  return store_formula_result(row, column, xf, data.substr(6, 8));
}

ReadStatus WorksheetCells::store_bool_or_error(std::uint32_t row, std::uint32_t column, std::uint16_t xf,
                                               std::uint8_t value, bool error) {
  if (error) return store_typed(row, column, xf, CellKind::error, 0, error_text(value));
  return store_typed(row, column, xf, CellKind::boolean, value != 0 ? 1 : 0, value != 0 ? "TRUE" : "FALSE");
}

ReadStatus WorksheetCells::store_text_result(std::string& utf8) {
  if (!text_result_pending_) return ReadStatus::ok;
  text_result_pending_ = false;
  return store_text(pending_row_, pending_column_, pending_xf_, utf8);
}

ReadStatus WorksheetCells::store_formula_result(std::uint32_t row, std::uint32_t column, std::uint16_t xf,
                                                std::string_view result) {
  text_result_pending_ = false;
  if (le16(result, 6) != 0xFFFF) return store_number(row, column, xf, le_double(result.data()));
  switch (static_cast<std::uint8_t>(result[0])) {
    case kResultText:
      text_result_pending_ = true;
      pending_row_ = row;
      pending_xf_ = xf;
      pending_column_ = column;
      return ReadStatus::ok;
    case kResultBoolean:
    case kResultError:
      return store_bool_or_error(row, column, xf, static_cast<std::uint8_t>(result[2]), result[0] == kResultError);
    case kResultEmptyText:
      // A formula whose result is the empty text: a value, as in .xlsx.
      return store_ascii(row, column, "");
    default:
      return ReadStatus::ok;
  }
}

ReadStatus WorksheetCells::store_number(std::uint32_t row, std::uint32_t column, std::uint16_t xf, double value) {
  if (formats_.is_general(xf) && value == std::floor(value) && std::fabs(value) < 1e15) {
    // The General format shows an integer below 10^15 as its digits.
    char digits[24];
    const auto [last, ignored] = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value));
    (void)ignored;
    return store_typed(row, column, xf, CellKind::number, value,
                       std::string_view(digits, static_cast<std::size_t>(last - digits)));
  }
  text_ = formatter_.format(value, formats_.code(xf), date1904_);
  return store_typed(row, column, xf, CellKind::number, value, text_);
}

ReadStatus WorksheetCells::store_typed(std::uint32_t row, std::uint32_t column, std::uint16_t xf, CellKind kind,
                                       double value, std::string_view utf8) {
  const CellValue typed{kind, value, style_of(xf)};
  std::uint32_t offset = 0, length = 0;
  if (!store_utf8_text(storage_, utf8, offset, length, &typed)) return ReadStatus::over_limit;
  storage_.add_cell(row, column, offset, length);
  return ReadStatus::ok;
}

std::uint32_t WorksheetCells::style_of(std::uint16_t xf) {
  if (xf < xf_count_) return xf;
  // An XF the globals lack shows as General (StyleFormats does the same),
  // and its cell's style must still name an entry.
  if (general_style_ == UINT32_MAX) {
    general_style_ = static_cast<std::uint32_t>(grid_.style_formats().size());
    grid_.style_formats().push_back({0, ""});
  }
  return general_style_;
}

// MERGEDCELLS: a count, then per range its first and last row and its first
// and last column, two bytes each. The count is not believed beyond the
// record's length.
void WorksheetCells::read_merged_ranges(std::string_view data) {
  if (data.size() < 2) return;
  const std::size_t count = std::min<std::size_t>(le16(data, 0), (data.size() - 2) / 8);
  std::vector<MergedRange>& ranges = grid_.merged_ranges();
  for (std::size_t i = 0; i < count && ranges.size() < kMaxMergedRanges; ++i) {
    const std::size_t at = 2 + 8 * i;
    const MergedRange range{le16(data, at), le16(data, at + 2), le16(data, at + 4), le16(data, at + 6)};
    if (range.first_row > range.last_row || range.first_column > range.last_column) continue;
    if (range.last_column >= kBiff8Columns) continue;
    if (range.first_row == range.last_row && range.first_column == range.last_column) continue;
    ranges.push_back(range);
  }
}

// COLINFO: the first and last column, the width in 1/256 of a character,
// then the XF and options (hidden among them) the grid does not keep: a
// hidden column keeps its width, which it gets back when shown.
void WorksheetCells::read_column_width(std::string_view data) {
  if (data.size() < 6) return;
  std::vector<ColumnWidth>& widths = grid_.column_widths();
  if (widths.size() >= kMaxColumnWidths) return;
  const std::uint32_t first = le16(data, 0);
  // A run to the sheet's end may say 256 (one past the last column) or more.
  const std::uint32_t last = std::min<std::uint32_t>(le16(data, 2), kBiff8Columns - 1);
  if (first > last) return;
  widths.push_back({first, last, std::min(le16(data, 4) / 256.0, kMaxColumnWidth)});
}

ReadStatus WorksheetCells::store_ascii(std::uint32_t row, std::uint32_t column, std::string_view text) {
  std::uint32_t offset = 0;
  if (!storage_.append_text(text, offset)) return ReadStatus::over_limit;
  storage_.add_cell(row, column, offset, static_cast<std::uint32_t>(text.size()));
  return ReadStatus::ok;
}

ReadStatus WorksheetCells::store_utf8(std::uint32_t row, std::uint32_t column, std::string_view text) {
  std::uint32_t offset = 0, length = 0;
  if (!store_utf8_text(storage_, text, offset, length)) return ReadStatus::over_limit;
  storage_.add_cell(row, column, offset, length);
  return ReadStatus::ok;
}

ReadStatus WorksheetCells::store_string(std::uint32_t row, std::uint32_t column, const Record& record,
                                        std::size_t at, RecordReader& reader, std::uint16_t xf) {
  // A long text goes on in CONTINUE records.
  reader.with_continues(record, fragments_);
  fragments_[0] = fragments_[0].substr(at);
  FragmentCursor cursor(fragments_);
  if (!cursor.read_string(false, string_form_, text_)) return ReadStatus::malformed;
  return store_text(row, column, xf, text_);
}

ReadStatus WorksheetCells::store_text(std::uint32_t row, std::uint32_t column, std::uint16_t xf, std::string& utf8) {
  if (formats_texts(xf)) {
    if (std::optional<std::string> shown = formatter_.format_text(utf8, formats_.code(xf))) utf8 = std::move(*shown);
  }
  return store_utf8(row, column, utf8);
}

// The shared string is in the arena already, as GBK: a cell whose format
// shows texts through a section of its own gets a text of its own. (A text
// long enough to lie behind its length keeps the shared one.)
ReadStatus WorksheetCells::store_shared_string(std::uint32_t row, std::uint32_t column, const TextSpan& span,
                                               std::uint16_t xf) {
  if (!formats_texts(xf) || span.length >= CellRecord::kLongText) {
    storage_.add_cell(row, column, span.offset, span.length);
    return ReadStatus::ok;
  }
  const std::string utf8 = colsplit::gbk_to_utf8(storage_.arena.text(span.offset, span.length));
  std::optional<std::string> shown = formatter_.format_text(utf8, formats_.code(xf));
  return store_utf8(row, column, shown ? *shown : utf8);
}

// Known once per XF: most formats have no section for texts, and their
// texts go by without a parse. A load that keeps the look keeps the texts as
// they are: the format goes along with them, and shows them again.
bool WorksheetCells::formats_texts(std::uint16_t xf) {
  if (looks_ != nullptr) return false;
  if (xf >= text_formats_.size()) text_formats_.resize(std::size_t{xf} + 1, 0);
  if (text_formats_[xf] == 0) text_formats_[xf] = has_text_section(formats_.code(xf)) ? 2 : 1;
  return text_formats_[xf] == 2;
}

}  // namespace sheetlib::xls
