#include "sheetlib/read/worksheet_part.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "sheetlib/format/number_format.h"
#include "sheetlib/read/ooxml_text.h"
#include "sheetlib/read/workbook_part.h"

namespace sheetlib {

namespace {


// True when the General format shows the number held as `text` as that very
// text: a plain decimal of at least 1 in magnitude, at most 15 significant
// digits, no leading zeros, no trailing zeros after the point, no exponent.
// (At most 15 digits survive the trip through a double unchanged.)
bool shows_as_written(std::string_view text) {
  std::size_t at = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (at >= text.size() || text[at] < '1' || text[at] > '9') return false;
  std::size_t digits = 0;
  bool point = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (digits > 15) return false;
  return !point || (text.back() != '0' && text.back() != '.');
}

// A whole attribute value as a number of type T (xsd whitespace around it
// allowed).
template <typename T>
bool parse_whole(const char* text, T& number) {
  if (!text) return false;
  const std::string_view trimmed = trim_xml_space(text);
  const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), number);
  return error == std::errc() && end == trimmed.data() + trimmed.size();
}

// "B2:D5" (or its corners the other way round) as a range; false when
// malformed or a single cell, which merges nothing.
bool parse_merged_range(std::string_view reference, MergedRange& range) {
  const std::size_t colon = reference.find(':');
  if (colon == std::string_view::npos) return false;
  std::uint32_t row_a = 0, column_a = 0, row_b = 0, column_b = 0;
  if (!parse_cell_reference(reference.substr(0, colon), row_a, column_a) ||
      !parse_cell_reference(reference.substr(colon + 1), row_b, column_b))
    return false;
  range = {std::min(row_a, row_b), std::max(row_a, row_b), std::min(column_a, column_b), std::max(column_a, column_b)};
  return range.first_row != range.last_row || range.first_column != range.last_column;
}

// <col min="1" max="3" width="12.5"/>: columns one-based and inclusive; a
// run reaching past the sheet is cut at its edge. False without a width
// (the column keeps the default) or with one no application accepts.
bool parse_column_width(const xml::Attributes& attributes, ColumnWidth& run) {
  double width = 0;
  std::int64_t first = 0, last = 0;
  if (!parse_whole(attributes.find(xml::Ns::none, "width"), width) || !std::isfinite(width) || width < 0 ||
      width > 255)
    return false;
  if (!parse_whole(attributes.find(xml::Ns::none, "min"), first) ||
      !parse_whole(attributes.find(xml::Ns::none, "max"), last))
    return false;
  if (first > last || last < 1 || first > static_cast<std::int64_t>(kMaxColumns)) return false;
  run = {static_cast<std::uint32_t>(std::max<std::int64_t>(first, 1) - 1),
         static_cast<std::uint32_t>(std::min<std::int64_t>(last, kMaxColumns) - 1), width};
  return true;
}

}  // namespace

bool parse_row_number(std::string_view text, std::uint32_t& row) {
  std::uint32_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number < 1 || number > kMaxRows) return false;
  row = number - 1;
  return true;
}

CellType cell_type_of(std::string_view t) {
  if (t == "s") return CellType::shared;
  if (t == "n") return CellType::number;
  if (t == "inlineStr") return CellType::inline_string;
  if (t == "str") return CellType::string;
  if (t == "b") return CellType::boolean;
  if (t == "e") return CellType::error;
  if (t == "d") return CellType::date;
  return CellType::other;
}

long cell_style_of(std::string_view s) {
  long style = 0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), style);
  (void)end;
  return error == std::errc() ? style : 0;
}

std::string_view trim_xml_space(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

bool parse_cell_reference(std::string_view reference, std::uint32_t& row, std::uint32_t& column) {
  std::size_t at = 0;
  std::uint32_t letters = 0;
  while (at < reference.size() && at < 4) {
    char c = reference[at];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') break;
    letters = letters * 26 + static_cast<std::uint32_t>(c - 'A' + 1);
    ++at;
  }
  if (at == 0 || letters > kMaxColumns) return false;
  if (!parse_row_number(reference.substr(at), row)) return false;
  column = letters - 1;
  return true;
}

void WorksheetHandler::start(xml::Name name, const xml::Attributes& attributes) {
  ++depth_;
  if (in_inline_) return inline_.start(name);
  // Around the rows, the look's elements (of any namespace: foreign ones
  // are left out of its fragments with what they hold).
  if (look_part_ && !in_sheet_data_ && depth_ >= 2 && !(depth_ == 2 && name.is(xml::Ns::main, "sheetData")))
    look_part_->start(depth_, name, attributes);
  if (name.ns != xml::Ns::main) return;
  if (in_cell_) {
    if (depth_ != 5) return;
    if (name.local == "v") {
      in_value_ = true;
      cell_.has_value = true;
      value_.clear();
    } else if (name.local == "is") {
      in_inline_ = true;
      cell_.has_inline = true;
      inline_.reset();
    }
  } else if (in_row_) {
    if (depth_ == 4 && name.local == "c") begin_cell(attributes);
  } else if (in_sheet_data_) {
    if (depth_ == 3 && name.local == "row") begin_row(attributes);
  } else if (depth_ == 2 && name.local == "sheetData") {
    in_sheet_data_ = true;
  } else if (layout_) {
    if (depth_ == 2) begin_layout_list(name.local);
    else if (depth_ == 3 && layout_list_ != LayoutList::none) add_layout_item(name.local, attributes);
  }
}

void WorksheetHandler::begin_layout_list(std::string_view local_name) {
  if (local_name == "cols") layout_list_ = LayoutList::columns;
  else if (local_name == "mergeCells") layout_list_ = LayoutList::merged_ranges;
}

void WorksheetHandler::add_layout_item(std::string_view local_name, const xml::Attributes& attributes) {
  // A malformed item is left out alone: the cells matter more than the look.
  if (layout_list_ == LayoutList::columns && local_name == "col") {
    ColumnWidth run;
    if (layout_->column_widths.size() < kMaxColumnWidths && parse_column_width(attributes, run))
      layout_->column_widths.push_back(run);
  } else if (layout_list_ == LayoutList::merged_ranges && local_name == "mergeCell") {
    const char* reference = attributes.find(xml::Ns::none, "ref");
    MergedRange range;
    if (reference && layout_->merged_ranges.size() < kMaxMergedRanges && parse_merged_range(reference, range))
      layout_->merged_ranges.push_back(range);
  }
}

void WorksheetHandler::end(xml::Name name) {
  const int depth = depth_--;
  if (in_inline_) {
    if (depth == 5) {
      in_inline_ = false;
    } else {
      inline_.end(name);
    }
    return;
  }
  if (look_part_ && !in_sheet_data_ && depth >= 2) look_part_->end(depth, name);
  switch (depth) {
    case 5:
      in_value_ = false;
      break;
    case 4:
      if (in_cell_) {
        in_cell_ = false;
        cell_.value = value_;
        cell_.inline_text = inline_.text();
        fail_unless_ok(cells_.finish_cell(cell_));
      }
      break;
    case 3:
      in_row_ = false;
      break;
    case 2:
      in_sheet_data_ = false;
      layout_list_ = LayoutList::none;
      break;
    default:
      break;
  }
}

void WorksheetHandler::text(std::string_view text) {
  if (in_value_) {
    value_.append(text);
  } else if (in_inline_) {
    inline_.add(text);
  } else if (look_part_ && !in_sheet_data_) {
    look_part_->text(text);
  }
}

void WorksheetHandler::begin_row(const xml::Attributes& attributes) {
  in_row_ = true;
  const char* number = attributes.find(xml::Ns::none, "r");
  const std::string_view number_text = number ? number : "";
  fail_unless_ok(cells_.begin_row(number ? &number_text : nullptr));
  if (cells_.keeps_look()) {
    const auto value = [&](std::string_view local) {
      const char* found = attributes.find(xml::Ns::none, local);
      return std::string_view(found ? found : "");
    };
    cells_.note_row_look(value("ht"), value("customHeight"), value("hidden"));
  }
}

void WorksheetHandler::begin_cell(const xml::Attributes& attributes) {
  in_cell_ = true;
  cell_ = CellMarkup();
  const char* reference = nullptr;
  attributes.each([&](xml::Name name, const char* value) {
    if (name.ns != xml::Ns::none || name.local.size() != 1) return;
    switch (name.local[0]) {
      case 'r':
        reference = value;
        break;
      case 's':
        cell_.style = cell_style_of(value);
        break;
      case 't':
        cell_.type = cell_type_of(value);
        break;
      default:
        break;
    }
  });
  const std::string_view reference_text = reference ? reference : "";
  fail_unless_ok(cells_.begin_cell(reference ? &reference_text : nullptr));
}

ReadStatus SheetCells::begin_row(const std::string_view* number) {
  row_ = next_row_;
  if (number) {
    if (!parse_row_number(*number, row_)) return ReadStatus::malformed;
  } else if (row_ >= kMaxRows) {
    return ReadStatus::malformed;
  }
  next_row_ = row_ + 1;
  next_column_ = 0;
  return ReadStatus::ok;
}

ReadStatus SheetCells::begin_cell(const std::string_view* reference) {
  column_ = next_column_;
  if (!reference) {
    if (column_ >= kMaxColumns) return ReadStatus::malformed;
  } else {
    std::uint32_t row = row_;
    if (!parse_cell_reference(*reference, row, column_)) return ReadStatus::malformed;
    if (row != row_) {
      row_ = row;
      next_row_ = row + 1;
    }
  }
  next_column_ = column_ + 1;
  return ReadStatus::ok;
}

void SheetCells::note_row_look(std::string_view height, std::string_view custom_height, std::string_view hidden) {
  RowLook row{row_, 0, !hidden.empty() && parse_boolean(trim_xml_space(hidden))};
  if (!custom_height.empty() && parse_boolean(trim_xml_space(custom_height))) {
    const std::string_view digits = trim_xml_space(height);
    double points = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), points);
    // Excel's rows are at most 409.5 points high.
    if (error == std::errc() && end == digits.data() + digits.size() && points >= 0 && points <= 409.5)
      row.height = points;
  }
  if ((row.height > 0 || row.hidden) && look_->rows.size() < kMaxRows) look_->rows.push_back(row);
}

ReadStatus SheetCells::store_cell(const CellMarkup& cell) {
  switch (cell.type) {
    case CellType::shared: {
      // Some writers give an empty string cell an empty <v/>: it points at no
      // string, and shows empty as a cell without <v> does.
      const std::string_view digits = trim_xml_space(cell.value);
      if (!cell.has_value || digits.empty()) return ReadStatus::ok;
      std::uint32_t index = 0;
      const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
      if (error != std::errc() || end != digits.data() + digits.size()) return ReadStatus::malformed;
      // (A style with a section for texts is one of the file's: 0 or more.)
      if (formats_texts(cell.style)) {
        std::uint32_t offset = 0;
        if (!store_formatted_string_request(storage_, {index, static_cast<std::uint32_t>(cell.style)}, offset))
          return ReadStatus::over_limit;
        add_cell(offset, CellGrid::Storage::kFormattedStringCell);
        return ReadStatus::ok;
      }
      add_cell(index, CellGrid::Storage::kSharedStringCell);
      return ReadStatus::ok;
    }
    case CellType::inline_string:
      if (cell.has_inline) return store_text(cell.inline_text, cell.style);
      if (cell.has_value) return store_text(cell.value, cell.style);
      return ReadStatus::ok;
    case CellType::number:
      if (!cell.has_value || trim_xml_space(cell.value).empty()) return ReadStatus::ok;
      return store_number(trim_xml_space(cell.value), cell.style);
    case CellType::boolean:
      if (!cell.has_value) return ReadStatus::ok;
      {
        const std::string_view value = trim_xml_space(cell.value);
        if (value == "1" || value == "true") {
          const CellValue boolean = typed(CellKind::boolean, 1, cell.style);
          return store("TRUE", false, &boolean);
        }
        if (value == "0" || value == "false") {
          const CellValue boolean = typed(CellKind::boolean, 0, cell.style);
          return store("FALSE", false, &boolean);
        }
      }
      return store(cell.value, true);
    case CellType::date:
      if (!cell.has_value) return ReadStatus::ok;
      if (const auto serial = iso_datetime_to_serial(trim_xml_space(cell.value), date1904_)) {
        rendered_ = formatter_.format(*serial, styles_.code(cell.style), date1904_);
        const CellValue date = typed(CellKind::number, *serial, cell.style);
        return store(rendered_, false, &date);
      }
      return store(cell.value, true);
    case CellType::error: {
      if (!cell.has_value) return ReadStatus::ok;
      const CellValue error = typed(CellKind::error, 0, cell.style);
      return store(cell.value, true, &error);
    }
    case CellType::string:
      if (!cell.has_value) return ReadStatus::ok;
      return store_text(cell.value, cell.style);
    case CellType::other:
      if (!cell.has_value) return ReadStatus::ok;
      return store(cell.value, true);
  }
  return ReadStatus::ok;
}

ReadStatus SheetCells::store_number(std::string_view value_text, long style) {
  double value = 0;
  const auto [end, error] = std::from_chars(value_text.data(), value_text.data() + value_text.size(), value);
  if (error != std::errc() || end != value_text.data() + value_text.size() || !std::isfinite(value)) {
    // Not a number after all: show what the file holds rather than lose it.
    return store(value_text, true);
  }
  const CellValue number = typed(CellKind::number, value, style);
  if (styles_.is_general(style) && shows_as_written(value_text)) return store(value_text, false, &number);
  if (styles_.is_general(style) && value == std::floor(value) && std::fabs(value) < 1e15) {
    // The General format shows an integer below 10^15 as its digits.
    char digits[24];
    const auto [last, ignored] = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value));
    (void)ignored;
    return store(std::string_view(digits, static_cast<std::size_t>(last - digits)), false, &number);
  }
  rendered_ = formatter_.format(value, styles_.code(style), date1904_);
  return store(rendered_, false, &number);
}

// The rendered text keeps the cell's _xHHHH_ escapes; the format's own text
// goes through their decoding too, which leaves it as it is.
ReadStatus SheetCells::store_text(std::string_view text, long style) {
  if (!formats_texts(style)) return store(text, true);
  std::optional<std::string> shown = formatter_.format_text(text, styles_.code(style));
  if (!shown) return store(text, true);
  rendered_ = std::move(*shown);
  return store(rendered_, true);
}

// Known once per style: most styles' codes have no section for texts, and
// their texts go by without a parse. A style past the cached ones (no sheet
// has that many) is asked each time. A load that keeps the look keeps the
// texts as they are: the format goes along with them, and shows them again.
bool SheetCells::formats_texts(long style) {
  if (keeps_look_) return false;
  constexpr long kCachedStyles = 65'536;
  if (style < 0 || style >= kCachedStyles) return has_text_section(styles_.code(style));
  const auto index = static_cast<std::size_t>(style);
  if (index >= text_formats_.size()) text_formats_.resize(index + 1, 0);
  if (text_formats_[index] == 0) text_formats_[index] = has_text_section(styles_.code(style)) ? 2 : 1;
  return text_formats_[index] == 2;
}

ReadStatus SheetCells::store(std::string_view utf8, bool escapes, const CellValue* value) {
  std::uint32_t offset = 0, length = 0;
  const bool stored = escapes ? store_package_text(storage_, utf8, offset, length, value)
                              : store_utf8_text(storage_, utf8, offset, length, value);
  if (!stored) return ReadStatus::over_limit;
  add_cell(offset, length);
  return ReadStatus::ok;
}

}  // namespace sheetlib
