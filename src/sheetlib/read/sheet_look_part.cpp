#include "sheetlib/read/sheet_look_part.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "sheetlib/core/limits.h"
#include "sheetlib/read/workbook_part.h"
#include "sheetlib/read/worksheet_part.h"

namespace sheetlib {

namespace {


// An attribute's number, when it has one within [low, high].
bool parse_number(const char* text, double low, double high, double& number) {
  if (!text) return false;
  const std::string_view trimmed = trim_xml_space(text);
  double value = 0;
  const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  if (error != std::errc() || end != trimmed.data() + trimmed.size() || !std::isfinite(value) || value < low ||
      value > high)
    return false;
  number = value;
  return true;
}

std::string without_anchors(std::string_view reference) {
  std::string plain;
  for (const char c : reference)
    if (c != '$') plain += c;
  return plain;
}

bool all_of(std::string_view text, bool (*is)(char)) {
  return !text.empty() && std::all_of(text.begin(), text.end(), is);
}
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A column's letters as a zero-based column.
bool parse_column_letters(std::string_view letters, std::uint32_t& column) {
  std::uint32_t row = 0;
  return parse_cell_reference(std::string(letters) + "1", row, column);
}

// One area of a defined name's formula: "$1:$2" (rows), "$A:$B" (columns)
// or "$A$1:$F$20" / "$A$1" (cells), without its sheet.
enum class AreaKind { rows, columns, cells };
bool parse_area(std::string_view text, AreaKind& kind, MergedRange& range) {
  const std::string plain = without_anchors(text);
  const std::string_view area = plain;
  const std::size_t colon = area.find(':');
  if (colon != std::string_view::npos) {
    const std::string_view first = area.substr(0, colon), last = area.substr(colon + 1);
    if (all_of(first, is_digit) && all_of(last, is_digit)) {
      std::uint32_t a = 0, b = 0;
      if (!parse_row_number(first, a) || !parse_row_number(last, b)) return false;
      kind = AreaKind::rows;
      range = {std::min(a, b), std::max(a, b), 0, kMaxColumns - 1};
      return true;
    }
    if (all_of(first, is_letter) && all_of(last, is_letter)) {
      std::uint32_t a = 0, b = 0;
      if (!parse_column_letters(first, a) || !parse_column_letters(last, b)) return false;
      kind = AreaKind::columns;
      range = {0, kMaxRows - 1, std::min(a, b), std::max(a, b)};
      return true;
    }
  }
  kind = AreaKind::cells;
  return parse_range(area, range);
}

// Walks the areas of a defined name's formula (parted by commas outside
// quoted sheet names), each without its sheet; false when one is unreadable.
template <typename F>
bool each_area(std::string_view formula, F&& f) {
  formula = trim_xml_space(formula);
  if (formula.empty()) return false;
  std::size_t begin = 0, bang = std::string_view::npos;
  bool quoted = false;
  for (std::size_t at = 0; at <= formula.size(); ++at) {
    const char c = at < formula.size() ? formula[at] : ',';
    if (c == '\'') {
      quoted = !quoted;
    } else if (!quoted && c == '!') {
      bang = at;
    } else if (!quoted && c == ',') {
      const std::size_t from = bang != std::string_view::npos && bang >= begin ? bang + 1 : begin;
      AreaKind kind;
      MergedRange range;
      if (!parse_area(trim_xml_space(formula.substr(from, at - from)), kind, range) || !f(kind, range)) return false;
      begin = at + 1;
    }
  }
  return !quoted;
}

}  // namespace

bool parse_range(std::string_view reference, MergedRange& range) {
  const std::string plain = without_anchors(reference);
  const std::string_view text = plain;
  const std::size_t colon = text.find(':');
  std::uint32_t row_a = 0, column_a = 0, row_b = 0, column_b = 0;
  if (!parse_cell_reference(text.substr(0, colon), row_a, column_a)) return false;
  if (colon == std::string_view::npos) {
    row_b = row_a;
    column_b = column_a;
  } else if (!parse_cell_reference(text.substr(colon + 1), row_b, column_b)) {
    return false;
  }
  range = {std::min(row_a, row_b), std::max(row_a, row_b), std::min(column_a, column_b), std::max(column_a, column_b)};
  return true;
}

bool parse_ranges(std::string_view references, std::vector<MergedRange>& ranges) {
  ranges.clear();
  std::size_t at = 0;
  while (at < references.size()) {
    const std::size_t end = std::min(references.find(' ', at), references.size());
    if (end > at) {
      MergedRange range;
      if (ranges.size() >= kMaxLookRanges || !parse_range(references.substr(at, end - at), range)) return false;
      ranges.push_back(range);
    }
    at = end + 1;
  }
  return !ranges.empty();
}

bool parse_print_titles(std::string_view formula, LineSpan& rows, LineSpan& columns) {
  LineSpan read_rows, read_columns;
  const bool read = each_area(formula, [&](AreaKind kind, const MergedRange& range) {
    if (kind == AreaKind::rows) read_rows = {range.first_row, range.last_row, true};
    else if (kind == AreaKind::columns) read_columns = {range.first_column, range.last_column, true};
    return kind != AreaKind::cells;
  });
  if (!read) return false;
  rows = read_rows;
  columns = read_columns;
  return true;
}

bool parse_print_area(std::string_view formula, std::vector<MergedRange>& area) {
  std::vector<MergedRange> ranges;
  const bool read = each_area(formula, [&](AreaKind, const MergedRange& range) {
    if (ranges.size() >= kMaxLookRanges) return false;
    ranges.push_back(range);
    return true;
  });
  if (read) area = std::move(ranges);
  return read;
}

void RowsLook::append(const RowsLook& later) {
  styles.append(later.styles);
  const std::size_t room = kMaxRows - std::min<std::size_t>(rows.size(), kMaxRows);
  rows.insert(rows.end(), later.rows.begin(), later.rows.begin() + std::min(room, later.rows.size()));
}

void WorksheetLook::finish_into(Look& look) {
  std::vector<RowLook>& lines = rows.rows;
  if (!std::is_sorted(lines.begin(), lines.end(), [](const RowLook& a, const RowLook& b) { return a.row <= b.row; })) {
    // Rows written out of order, or one twice: the last of a row wins.
    std::stable_sort(lines.begin(), lines.end(), [](const RowLook& a, const RowLook& b) { return a.row < b.row; });
    std::vector<RowLook> kept;
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (i + 1 == lines.size() || lines[i + 1].row != lines[i].row) kept.push_back(lines[i]);
    lines = std::move(kept);
  }
  sheet.rows = std::move(lines);
  look.sheet = std::move(sheet);
  look.cell_styles = std::move(rows.styles);
  look.cell_styles.finish();
}

void SheetLookPart::start(int depth, xml::Name name, const xml::Attributes& attributes) {
  if (fragment_.active()) return fragment_.start(name, attributes);
  if (name.ns != xml::Ns::main) return;
  if (depth > 2) return start_item(depth, name, attributes);
  if (depth != 2) return;
  SheetLook& sheet = look_.sheet;
  const std::string_view local = name.local;
  if (local == "sheetPr") {
    list_ = List::properties;
  } else if (local == "sheetFormatPr") {
    parse_number(attributes.find(xml::Ns::none, "defaultRowHeight"), 0, 409.5, sheet.default_row_height);
    parse_number(attributes.find(xml::Ns::none, "defaultColWidth"), 0, 255, sheet.default_column_width);
  } else if (local == "cols") {
    list_ = List::columns;
  } else if (local == "sheetViews") {
    list_ = List::views;
  } else if (local == "autoFilter") {
    const char* reference = attributes.find(xml::Ns::none, "ref");
    sheet.has_filter = reference && parse_range(reference, sheet.filter);
  } else if (local == "dataValidations") {
    list_ = List::validations;
  } else if (local == "conditionalFormatting") {
    list_ = List::conditional;
    const char* sqref = attributes.find(xml::Ns::none, "sqref");
    ranges_read_ = sqref && parse_ranges(sqref, ranges_);
    rules_.clear();
    rules_whole_ = true;
  } else if (local == "hyperlinks") {
    list_ = List::links;
  } else if (local == "printOptions") {
    begin_fragment(Into::print_options, name, attributes);
  } else if (local == "pageMargins") {
    begin_fragment(Into::page_margins, name, attributes);
  } else if (local == "pageSetup") {
    begin_fragment(Into::page_setup, name, attributes);
  } else if (local == "headerFooter") {
    begin_fragment(Into::header_footer, name, attributes);
  }
}

void SheetLookPart::start_item(int depth, xml::Name name, const xml::Attributes& attributes) {
  SheetLook& sheet = look_.sheet;
  const auto value = [&](std::string_view local) { return attributes.find(xml::Ns::none, local); };
  const auto flag = [&](std::string_view local, bool absent) {
    const char* text = value(local);
    return text ? parse_boolean(text) : absent;
  };
  switch (list_) {
    case List::properties:
      if (depth == 3 && name.local == "pageSetUpPr") sheet.fit_to_page = flag("fitToPage", false);
      return;
    case List::columns: {
      double first = 0, last = 0;
      if (depth != 3 || name.local != "col" || !flag("hidden", false) || sheet.hidden_columns.size() >= kMaxColumns ||
          !parse_number(value("min"), 1, kMaxColumns, first) || !parse_number(value("max"), first, 1e9, last))
        return;
      sheet.hidden_columns.push_back({static_cast<std::uint32_t>(first) - 1,
                                      static_cast<std::uint32_t>(std::min<double>(last, kMaxColumns)) - 1});
      return;
    }
    case List::views:
      if (view_read_) return;
      if (depth == 3 && name.local == "sheetView") {
        in_view_ = true;
        sheet.gridlines = flag("showGridLines", true);
        sheet.right_to_left = flag("rightToLeft", false);
        double zoom = 0;
        if (parse_number(value("zoomScale"), 10, 400, zoom)) sheet.zoom = static_cast<int>(zoom);
      } else if (in_view_ && depth == 4 && name.local == "pane") {
        const char* state = value("state");
        if (!state || (std::string_view(state) != "frozen" && std::string_view(state) != "frozenSplit")) return;
        double columns = 0, rows = 0;
        if (parse_number(value("xSplit"), 0, kMaxColumns, columns)) sheet.frozen_columns = static_cast<std::uint32_t>(columns);
        if (parse_number(value("ySplit"), 0, kMaxRows, rows)) sheet.frozen_rows = static_cast<std::uint32_t>(rows);
      }
      return;
    case List::validations:
      if (depth != 3 || name.local != "dataValidation" || sheet.validations.size() >= kMaxLookRanges) return;
      ranges_read_ = value("sqref") && parse_ranges(value("sqref"), ranges_);
      begin_fragment(Into::validation, name, attributes, "sqref");
      return;
    case List::conditional:
      if (depth == 3 && name.local == "cfRule") begin_fragment(Into::rule, name, attributes);
      return;
    case List::links: {
      const char* reference = value("ref");
      CellLink link;
      if (depth != 3 || name.local != "hyperlink" || !reference || sheet.links.size() >= kMaxLookRanges ||
          !parse_range(reference, link.range))
        return;
      const auto text = [&](std::string_view local) {
        const char* found = value(local);
        return std::string(found ? found : "");
      };
      link.location = text("location");
      link.tooltip = text("tooltip");
      link.display = text("display");
      const char* id = attributes.find(xml::Ns::rel, "id");
      look_.link_ids.emplace_back(id ? id : "");
      sheet.links.push_back(std::move(link));
      return;
    }
    case List::none:
      return;
  }
}

void SheetLookPart::end(int depth, xml::Name name) {
  if (fragment_.active()) {
    if (fragment_.end(name)) end_fragment();
    return;
  }
  if (depth == 2) {
    if (list_ == List::conditional) end_conditional_formatting();
    list_ = List::none;
  } else if (depth == 3 && in_view_) {
    in_view_ = false;
    view_read_ = true;
  }
}

void SheetLookPart::begin_fragment(Into into, xml::Name name, const xml::Attributes& attributes,
                                   std::string_view left_out) {
  fragment_into_ = into;
  fragment_.begin(name, attributes, left_out);
}

void SheetLookPart::end_fragment() {
  std::string fragment;
  const bool whole = fragment_.take(fragment);
  SheetLook& sheet = look_.sheet;
  switch (fragment_into_) {
    case Into::validation:
      if (whole && ranges_read_) sheet.validations.push_back({std::move(ranges_), std::move(fragment)});
      ranges_.clear();
      break;
    case Into::rule:
      // A rule too large is left out alone; rules too large together, all.
      if (whole) rules_ += fragment;
      if (rules_.size() > kMaxFragmentBytes) {
        rules_whole_ = false;
        std::string().swap(rules_);
      }
      break;
    case Into::print_options: sheet.print_options = std::move(fragment); break;
    case Into::page_margins: sheet.page_margins = std::move(fragment); break;
    case Into::page_setup: sheet.page_setup = std::move(fragment); break;
    case Into::header_footer: sheet.header_footer = std::move(fragment); break;
    case Into::none: break;
  }
  fragment_into_ = Into::none;
}

void SheetLookPart::end_conditional_formatting() {
  SheetLook& sheet = look_.sheet;
  if (ranges_read_ && rules_whole_ && !rules_.empty() && sheet.conditional_formats.size() < kMaxLookRanges)
    sheet.conditional_formats.push_back({std::move(ranges_), std::move(rules_)});
  ranges_.clear();
  rules_.clear();
}

}  // namespace sheetlib
