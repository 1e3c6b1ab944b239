#include "sheetlib/read/worksheet_part.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "sheetlib/format/number_format.h"
#include "sheetlib/read/ooxml_text.h"

namespace sheetlib {

namespace {

bool parse_row_number(std::string_view text, std::uint32_t& row) {
  std::uint32_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number < 1 || number > kMaxRows) return false;
  row = number - 1;
  return true;
}

std::string_view trim(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

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
  const std::string_view trimmed = trim(text);
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
  if (name.ns != xml::Ns::main) return;
  if (in_cell_) {
    if (depth_ != 5) return;
    if (name.local == "v") {
      in_value_ = true;
      has_value_text_ = true;
      value_.clear();
    } else if (name.local == "is") {
      in_inline_ = true;
      has_inline_ = true;
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
  switch (depth) {
    case 5:
      in_value_ = false;
      break;
    case 4:
      if (in_cell_) finish_cell();
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
  }
}

void WorksheetHandler::begin_row(const xml::Attributes& attributes) {
  in_row_ = true;
  // A row without a number follows the one before it.
  row_ = next_row_;
  if (const char* number = attributes.find(xml::Ns::none, "r")) {
    if (!parse_row_number(number, row_)) return fail(ReadStatus::malformed);
  } else if (row_ >= kMaxRows) {
    return fail(ReadStatus::malformed);
  }
  next_row_ = row_ + 1;
  next_column_ = 0;
}

void WorksheetHandler::begin_cell(const xml::Attributes& attributes) {
  in_cell_ = true;
  has_value_text_ = false;
  has_inline_ = false;
  style_ = 0;
  type_ = CellType::number;
  std::uint32_t row = row_;
  column_ = next_column_;
  bool located = false;
  attributes.each([&](xml::Name name, const char* value) {
    if (name.ns != xml::Ns::none || name.local.size() != 1) return;
    switch (name.local[0]) {
      case 'r':
        located = true;
        if (!parse_cell_reference(value, row, column_)) fail(ReadStatus::malformed);
        break;
      case 's': {
        const auto [end, error] = std::from_chars(value, value + std::strlen(value), style_);
        (void)end;
        if (error != std::errc()) style_ = 0;
        break;
      }
      case 't': {
        const std::string_view type = value;
        if (type == "s") type_ = CellType::shared;
        else if (type == "n") type_ = CellType::number;
        else if (type == "inlineStr") type_ = CellType::inline_string;
        else if (type == "str") type_ = CellType::string;
        else if (type == "b") type_ = CellType::boolean;
        else if (type == "e") type_ = CellType::error;
        else if (type == "d") type_ = CellType::date;
        else type_ = CellType::other;
        break;
      }
      default:
        break;
    }
  });
  // A cell without a reference follows the one before it in its row.
  if (!located && column_ >= kMaxColumns) return fail(ReadStatus::malformed);
  if (located && row != row_) {
    // A cell that names another row than its <row> is placed where it says.
    row_ = row;
    next_row_ = row + 1;
  }
  next_column_ = column_ + 1;
}

void WorksheetHandler::finish_cell() {
  in_cell_ = false;
  switch (type_) {
    case CellType::shared: {
      // Some writers give an empty string cell an empty <v/>: it points at no
      // string, and shows empty as a cell without <v> does.
      const std::string_view digits = trim(value_);
      if (!has_value_text_ || digits.empty()) return;
      std::uint32_t index = 0;
      const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
      if (error != std::errc() || end != digits.data() + digits.size()) return fail(ReadStatus::malformed);
      add_cell(index, CellGrid::Storage::kSharedStringCell);
      return;
    }
    case CellType::inline_string:
      if (has_inline_) return store(inline_.text(), true);
      if (has_value_text_) return store(value_, true);
      return;
    case CellType::number:
      if (!has_value_text_ || trim(value_).empty()) return;
      return store_number(trim(value_));
    case CellType::boolean:
      if (!has_value_text_) return;
      {
        const std::string_view value = trim(value_);
        if (value == "1" || value == "true") {
          const CellValue boolean = typed(CellKind::boolean, 1);
          return store("TRUE", false, &boolean);
        }
        if (value == "0" || value == "false") {
          const CellValue boolean = typed(CellKind::boolean, 0);
          return store("FALSE", false, &boolean);
        }
      }
      return store(value_, true);
    case CellType::date:
      if (!has_value_text_) return;
      if (const auto serial = iso_datetime_to_serial(trim(value_), date1904_)) {
        rendered_ = formatter_.format(*serial, styles_.code(style_), date1904_);
        const CellValue date = typed(CellKind::number, *serial);
        return store(rendered_, false, &date);
      }
      return store(value_, true);
    case CellType::error: {
      if (!has_value_text_) return;
      const CellValue error = typed(CellKind::error, 0);
      return store(value_, true, &error);
    }
    case CellType::string:
    case CellType::other:
      if (!has_value_text_) return;
      return store(value_, true);
  }
}

void WorksheetHandler::store_number(std::string_view value_text) {
  double value = 0;
  const auto [end, error] = std::from_chars(value_text.data(), value_text.data() + value_text.size(), value);
  if (error != std::errc() || end != value_text.data() + value_text.size() || !std::isfinite(value)) {
    // Not a number after all: show what the file holds rather than lose it.
    return store(value_text, true);
  }
  const CellValue number = typed(CellKind::number, value);
  if (styles_.is_general(style_) && shows_as_written(value_text)) return store(value_text, false, &number);
  if (styles_.is_general(style_) && value == std::floor(value) && std::fabs(value) < 1e15) {
    // The General format shows an integer below 10^15 as its digits.
    char digits[24];
    const auto [last, ignored] = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value));
    (void)ignored;
    return store(std::string_view(digits, static_cast<std::size_t>(last - digits)), false, &number);
  }
  rendered_ = formatter_.format(value, styles_.code(style_), date1904_);
  store(rendered_, false, &number);
}

void WorksheetHandler::store(std::string_view utf8, bool escapes, const CellValue* value) {
  std::uint32_t offset = 0, length = 0;
  const bool stored = escapes ? store_package_text(storage_, utf8, offset, length, value)
                              : store_utf8_text(storage_, utf8, offset, length, value);
  if (!stored) return fail(ReadStatus::over_limit);
  add_cell(offset, length);
}

bool WorksheetHandler::piece_starts(void* piece, xml::Name name, const xml::Attributes& attributes, int depth) {
  // A row without its number would follow the row before it, which another
  // parser read: such a sheet is read in one piece.
  if (!between_rows() || depth != 3 || !name.is(xml::Ns::main, "row") || !attributes.find(xml::Ns::none, "r"))
    return false;
  piece_cells_ = static_cast<PieceCells*>(piece);
  return true;
}

}  // namespace sheetlib
