#include "sheetlib/read/cell_scanner.h"

namespace sheetlib {

using namespace markup;

CellScanner::CellScanner(SheetCells& cells, const ReadLimits& limits, xml::MarkupBudget& budget,
                         std::string_view prefix)
    : cells_(cells), reader_(Element::sheet_data, prefix, limits, budget) {}

CellScanner::~CellScanner() = default;

CellScanner::Stop CellScanner::scan(std::string_view text, std::size_t& stopped_at) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  for (;;) {
    const char* less = find_byte(p, end, '<');
    if (less != p && !take_text(p, less)) return Stop::declined;
    if (less == end) {
      if (reader_.depth() != 0) return Stop::declined;
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
  GatheredText* into = nullptr;
  if (reader_.keeps_text()) into = reader_.innermost() == Element::value ? &value_ : &inline_text_;
  return reader_.take_text(begin, end, into);
}

bool CellScanner::start_element(const char*& p, const char* end) {
  Element element;
  if (!reader_.read_start(p, end, element)) return false;
  const StartTag& tag = reader_.tag();
  switch (element) {
    case Element::row: {
      const Attribute* number = tag.find("r");
      if (number && !number->plain) return false;
      if (numbered_row_expected_ && !number) return false;
      numbered_row_expected_ = false;
      if (cells_.begin_row(number ? &number->value : nullptr) != ReadStatus::ok) return false;
      if (cells_.keeps_look()) {
        // Tabs and line breaks, which expat reads as spaces, read as the
        // spaces around a number or flag do: they are trimmed.
        const auto value = [&](std::string_view name) {
          const Attribute* found = tag.find(name);
          return found ? found->value : std::string_view();
        };
        cells_.note_row_look(value("ht"), value("customHeight"), value("hidden"));
      }
      break;
    }
    case Element::cell: {
      cell_ = CellMarkup();
      const Attribute* reference = nullptr;
      for (int i = 0; i < tag.count; ++i) {
        const Attribute& attribute = tag.attributes[i];
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
      value_.clear();
      break;
    case Element::inline_string:
      cell_.has_inline = true;
      inline_text_.clear();
      break;
    default:
      break;
  }
  if (tag.empty) return close(element);
  reader_.open(element);
  return true;
}

bool CellScanner::end_element(const char*& p, const char* end, bool& rows_ended) {
  Element closed;
  if (!reader_.read_end(p, end, closed)) return false;
  rows_ended = closed == Element::sheet_data;
  return rows_ended || close(closed);
}

bool CellScanner::close(Element element) {
  if (element != Element::cell) return true;
  if (cell_.has_value) cell_.value = value_.view();
  if (cell_.has_inline) cell_.inline_text = inline_text_.view();
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
