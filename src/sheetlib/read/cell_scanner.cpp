#include "sheetlib/read/cell_scanner.h"

#include <cstring>

#include "sheetlib/read/markup_lexing.h"

namespace sheetlib {

enum class CellScanner::Element : std::uint8_t {
  sheet_data,  // stands for the parent of the rows
  row,
  cell,
  value,
  formula,
  inline_string,
  text,
  run,
  run_properties,
  run_property,  // <b/>, <sz val="11"/>, … inside <rPr>
  phonetic_run,
  phonetic_properties,
};

namespace {

using namespace markup;

using Element = CellScanner::Element;

// The child elements each element of the rows may have, by local name.
bool child_of(Element parent, std::string_view name, Element& child) {
  const auto is = [&](std::string_view known, Element element) {
    if (!same_name(name, known)) return false;
    child = element;
    return true;
  };
  switch (parent) {
    case Element::sheet_data:
      return is("row", Element::row);
    case Element::row:
      return is("c", Element::cell);
    case Element::cell:
      return is("v", Element::value) || is("f", Element::formula) || is("is", Element::inline_string);
    case Element::inline_string:
      return is("t", Element::text) || is("r", Element::run) || is("rPh", Element::phonetic_run) ||
             is("phoneticPr", Element::phonetic_properties);
    case Element::run:
      return is("rPr", Element::run_properties) || is("t", Element::text);
    case Element::phonetic_run:
      return is("t", Element::text);
    case Element::run_properties:
      if (!is_run_property(name)) return false;
      child = Element::run_property;
      return true;
    default:
      return false;
  }
}

}  // namespace

CellScanner::CellScanner(SheetCells& cells, const ReadLimits& limits, xml::MarkupBudget& budget,
                         std::string_view prefix)
    : cells_(cells),
      allowance_(&budget),
      tag_(std::make_unique<markup::StartTag>()),
      prefix_(prefix),
      depth_limit_(limits.max_element_depth) {}

CellScanner::~CellScanner() = default;


CellScanner::Stop CellScanner::scan(std::string_view text, std::size_t& stopped_at) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  for (;;) {
    const char* less = find_byte(p, end, '<');
    if (less != p && !take_text(p, less)) return Stop::declined;
    if (less == end) {
      if (depth_ != 0) return Stop::declined;
      stopped_at = text.size();
      return Stop::end_of_text;
    }
    p = less + 1;
    if (p == end) return Stop::declined;
    if (*p == '/') {
      ++p;
      bool rows_ended = false;
      if (!end_element(p, end, rows_ended)) return Stop::declined;
      if (rows_ended) {
        stopped_at = static_cast<std::size_t>(less - begin);
        return Stop::end_of_rows;
      }
    } else if (!start_element(p, end)) {
      // Comments, processing instructions and CDATA end here too.
      return Stop::declined;
    }
  }
}

bool CellScanner::take_text(const char* begin, const char* end) {
  std::uint64_t items = 0;
  bool plain = true;  // the text is its own bytes
  if (!check_text(begin, end, items, plain)) return false;
  if (!spend(items)) return false;
  const bool collecting = depth_ > 0 && open_[depth_ - 1].collecting;
  if (!collecting) {
    if (plain) return true;
    // References must be sound even where their text is not kept.
    scratch_.clear();
    return decode_text(begin, end, scratch_);
  }
  if (open_[depth_ - 1].element == Element::value) {
    if (plain) {
      cell_.value = std::string_view(begin, static_cast<std::size_t>(end - begin));
      value_here_ = false;
      return true;
    }
    value_.clear();
    value_here_ = true;
    return decode_text(begin, end, value_);
  }
  if (plain) {
    inline_text_.append(begin, end);
    return true;
  }
  return decode_text(begin, end, inline_text_);
}

bool CellScanner::start_element(const char*& p, const char* end) {
  markup::StartTag& tag = *tag_;
  if (!read_start_tag(p, end, tag) || !spend(1 + static_cast<std::uint64_t>(tag.count))) return false;
  if (!has_prefix(tag.qualified, tag.local)) return false;
  // <sheetData> lies at depth 2, its rows at 3.
  if (depth_ == kMostOpen || 3 + depth_ > depth_limit_) return false;
  const Element parent = depth_ > 0 ? open_[depth_ - 1].element : Element::sheet_data;
  Element element;
  if (!child_of(parent, tag.local, element)) return false;
  bool collecting = false;
  switch (element) {
    case Element::row: {
      const markup::Attribute* number = tag.find("r");
      if (number && !number->plain) return false;
      if (numbered_row_expected_ && !number) return false;
      numbered_row_expected_ = false;
      if (cells_.begin_row(number ? &number->value : nullptr) != ReadStatus::ok) return false;
      break;
    }
    case Element::cell: {
      cell_ = CellMarkup();
      value_here_ = false;
      const markup::Attribute* reference = nullptr;
      for (int i = 0; i < tag.count; ++i) {
        const markup::Attribute& attribute = tag.attributes[i];
        if (attribute.name.size() != 1) continue;
        if (attribute.name[0] != 'r' && attribute.name[0] != 's' && attribute.name[0] != 't') continue;
        if (!attribute.plain) return false;
        if (attribute.name[0] == 'r') reference = &attribute;
        else if (attribute.name[0] == 's') cell_.style = cell_style_of(attribute.value);
        else cell_.type = cell_type_of(attribute.value);
      }
      if (cells_.begin_cell(reference ? &reference->value : nullptr) != ReadStatus::ok) return false;
      break;
    }
    case Element::value:
      cell_.has_value = true;
      cell_.value = {};
      value_here_ = false;
      collecting = true;
      break;
    case Element::inline_string:
      cell_.has_inline = true;
      inline_text_.clear();
      break;
    case Element::text:
      collecting = parent != Element::phonetic_run;
      break;
    default:
      break;
  }
  if (tag.empty) return close(element);
  open_[depth_++] = {element, collecting, tag.qualified};
  return true;
}

bool CellScanner::end_element(const char*& p, const char* end, bool& rows_ended) {
  // Mostly the end tag of the element open, written as its start tag was.
  if (depth_ > 0) {
    const std::string_view open = open_[depth_ - 1].name;
    if (static_cast<std::size_t>(end - p) > open.size() && p[open.size()] == '>' &&
        same_name(std::string_view(p, open.size()), open)) {
      p += open.size() + 1;
      --depth_;
      return close(open_[depth_].element);
    }
  }
  std::string_view qualified, local;
  if (!read_end_tag(p, end, qualified, local)) return false;
  if (!has_prefix(qualified, local)) return false;
  if (depth_ == 0) {
    rows_ended = local == "sheetData";
    return rows_ended;
  }
  if (!same_name(qualified, open_[depth_ - 1].name)) return false;
  --depth_;
  return close(open_[depth_].element);
}

bool CellScanner::close(Element element) {
  if (element != Element::cell) return true;
  if (value_here_) cell_.value = value_;
  cell_.inline_text = inline_text_;
  return cells_.finish_cell(cell_) == ReadStatus::ok;
}

namespace {

// The start tag of <sheetData> (or <x:sheetData>): where it begins and ends,
// and its prefix with the colon. Only the first few candidates are tried:
// text that merely looks like one (in a comment, an attribute) is rare, and
// a hostile part could make each try cost a pass over all of it.
bool find_sheet_data(std::string_view part, std::size_t& tag_begin, std::size_t& tag_end, std::string_view& prefix,
                     bool& empty) {
  constexpr int kMostTries = 4;
  int tries = 0;
  for (std::size_t at = part.find("sheetData"); at != std::string_view::npos && tries < kMostTries;
       at = part.find("sheetData", at + 1)) {
    std::size_t less = at;
    if (less > 0 && part[less - 1] == ':') {
      --less;
      while (less > 0 && is_name_char(part[less - 1])) --less;
    }
    if (less == 0 || part[less - 1] != '<') continue;
    ++tries;
    const char* p = part.data() + less;
    markup::StartTag tag;
    if (!read_start_tag(p, part.data() + part.size(), tag) || tag.local != "sheetData") continue;
    tag_begin = less - 1;
    tag_end = static_cast<std::size_t>(p - part.data());
    prefix = tag.qualified.substr(0, tag.qualified.size() - tag.local.size());
    empty = tag.empty;
    return true;
  }
  return false;
}

}  // namespace

ReadStatus read_worksheet_scanning(std::string_view part, const ReadLimits& limits, xml::MarkupBudget& budget,
                                   WorksheetHandler& handler, bool& declined) {
  declined = true;
  std::size_t tag_begin = 0, tag_end = 0;
  std::string_view prefix;
  bool empty = false;
  if (!declares_utf8_or_nothing(part) || !find_sheet_data(part, tag_begin, tag_end, prefix, empty) || empty)
    return ReadStatus::ok;
  xml::Parser parser(handler, limits, &budget);
  std::uint64_t scanned = 0;
  const auto decline = [&] {
    budget.give_back(parser.spent() + scanned);
    return ReadStatus::ok;
  };
  // expat reads up to the tag and then the tag alone: the handler must be
  // outside the rows before and between them after, so that the tag found
  // is the one that begins them (and not text in a comment, say).
  if (!parser.feed(part.data(), tag_begin, false) || handler.between_rows()) return decline();
  if (!parser.feed(part.data() + tag_begin, tag_end - tag_begin, false) || !handler.between_rows()) return decline();
  std::size_t stopped_at = 0;
  CellScanner::Stop stop;
  {
    CellScanner scanner(handler.cells(), limits, budget, prefix);
    stop = scanner.scan(part.substr(tag_end), stopped_at);
    scanned = scanner.spent();
  }
  if (stop != CellScanner::Stop::end_of_rows) return decline();
  const std::size_t tail = tag_end + stopped_at;
  if (!parser.feed(part.data() + tail, part.size() - tail, true)) return decline();
  declined = false;
  return ReadStatus::ok;
}

}  // namespace sheetlib
