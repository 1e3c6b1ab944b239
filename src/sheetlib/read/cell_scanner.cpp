#include "sheetlib/read/cell_scanner.h"

#include <cstring>

#include "text/unicode.h"

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

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// What each byte may be in the names the scanner reads: 1 a name's first
// character, 2 one after it.
constexpr struct NameBytes {
  std::uint8_t kind[256] = {};
  constexpr NameBytes() {
    for (int c = 0; c < 256; ++c) {
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_') kind[c] = 1;
      else if ((c >= '0' && c <= '9') || c == '-' || c == '.') kind[c] = 2;
    }
  }
} kNameBytes;

bool is_name_start(char c) { return kNameBytes.kind[static_cast<unsigned char>(c)] == 1; }
bool is_name_char(char c) { return kNameBytes.kind[static_cast<unsigned char>(c)] != 0; }

// Names compared where most differ in their length or first letter.
bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() && (a.empty() || a[0] == b[0]) && a == b;
}

const char* skip_spaces(const char* p, const char* end) {
  while (p < end && is_space(*p)) ++p;
  return p;
}

// The length of the UTF-8 sequence at p, whose first byte is 0x80 or above;
// 0 when it is malformed, overlong, a surrogate, past U+10FFFF, or U+FFFE or
// U+FFFF, none of which expat lets through.
std::size_t utf8_length(const char* p, const char* end) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(p[i]); };
  const auto follows = [&](std::size_t i) { return p + i < end && (byte(i) & 0xC0) == 0x80; };
  const unsigned char lead = byte(0);
  if (lead >= 0xC2 && lead <= 0xDF) return follows(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (!follows(1) || !follows(2)) return 0;
    if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) > 0x9F)) return 0;
    if (lead == 0xEF && byte(1) == 0xBF && byte(2) >= 0xBE) return 0;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (!follows(1) || !follows(2) || !follows(3)) return 0;
    if ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) > 0x8F)) return 0;
    return 4;
  }
  return 0;
}

// An ASCII name with at most one colon, inside it. XML allows more (other
// letters, more colons); the scanner declines those.
bool read_name(const char*& p, const char* end, std::string_view& qualified, std::string_view& local) {
  const char* begin = p;
  const char* local_begin = p;
  if (p >= end || !is_name_start(*p)) return false;
  while (++p < end && is_name_char(*p)) {
  }
  if (p < end && *p == ':') {
    local_begin = ++p;
    if (p >= end || !is_name_start(*p)) return false;
    while (++p < end && is_name_char(*p)) {
    }
  }
  qualified = std::string_view(begin, static_cast<std::size_t>(p - begin));
  local = std::string_view(local_begin, static_cast<std::size_t>(p - local_begin));
  return true;
}

// More attributes than this on one tag: not markup that any writer makes of
// rows, and checking each for a repeat costs as their square.
constexpr int kMostAttributes = 16;

struct Attribute {
  std::string_view name;
  std::string_view value;
  bool plain;  // no tab or line break, which expat would turn into spaces
};

}  // namespace

struct CellScanner::StartTag {
  std::string_view qualified;
  std::string_view local;
  Attribute attributes[kMostAttributes];
  int count = 0;
  bool empty = false;  // <name/>
  // The value of the unprefixed attribute, or null.
  const Attribute* find(std::string_view name) const {
    for (int i = 0; i < count; ++i)
      if (same_name(attributes[i].name, name)) return &attributes[i];
    return nullptr;
  }
};

namespace {

using StartTag = CellScanner::StartTag;

// A start tag after its '<', up to and including its '>'. False when it is
// not well formed, or not one the scanner reads: a namespace declaration,
// a reference in an attribute value.
bool read_start_tag(const char*& p, const char* end, StartTag& tag) {
  if (!read_name(p, end, tag.qualified, tag.local)) return false;
  tag.count = 0;
  for (;;) {
    const char* before = p;
    p = skip_spaces(p, end);
    if (p >= end) return false;
    if (*p == '>') {
      ++p;
      tag.empty = false;
      return true;
    }
    if (*p == '/') {
      if (end - p < 2 || p[1] != '>') return false;
      p += 2;
      tag.empty = true;
      return true;
    }
    // Attributes are set apart by white space.
    if (p == before || tag.count == kMostAttributes) return false;
    Attribute& attribute = tag.attributes[tag.count];
    std::string_view local;
    if (!read_name(p, end, attribute.name, local)) return false;
    if (attribute.name.substr(0, 5) == "xmlns" && (attribute.name.size() == 5 || attribute.name[5] == ':'))
      return false;
    for (int i = 0; i < tag.count; ++i)
      if (same_name(tag.attributes[i].name, attribute.name)) return false;
    p = skip_spaces(p, end);
    if (p >= end || *p != '=') return false;
    p = skip_spaces(p + 1, end);
    if (p >= end || (*p != '"' && *p != '\'')) return false;
    const char quote = *p++;
    const auto* close = static_cast<const char*>(std::memchr(p, quote, static_cast<std::size_t>(end - p)));
    if (!close) return false;
    attribute.plain = true;
    for (const char* c = p; c < close;) {
      const auto byte = static_cast<unsigned char>(*c);
      if (byte >= 0x80) {
        const std::size_t length = utf8_length(c, close);
        if (length == 0) return false;
        c += length;
        continue;
      }
      if (byte == '<' || byte == '&') return false;
      if (byte < 0x20) {
        if (byte != '\t' && byte != '\n' && byte != '\r') return false;
        attribute.plain = false;
      }
      ++c;
    }
    attribute.value = std::string_view(p, static_cast<std::size_t>(close - p));
    p = close + 1;
    ++tag.count;
  }
}

bool is_xml_char(std::uint32_t code) {
  return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
         (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// The character of a reference's name ("amp", "#65", "#x41"); false when it
// names none, or one that XML does not allow.
bool resolve_reference(std::string_view name, std::string& out) {
  if (name == "lt") return out.push_back('<'), true;
  if (name == "gt") return out.push_back('>'), true;
  if (name == "amp") return out.push_back('&'), true;
  if (name == "quot") return out.push_back('"'), true;
  if (name == "apos") return out.push_back('\''), true;
  if (name.size() < 2 || name[0] != '#') return false;
  const bool hex = name[1] == 'x';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty()) return false;
  std::uint32_t code = 0;
  for (const char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    if (code > 0x10FFFF) return false;
  }
  if (!is_xml_char(code)) return false;
  colsplit::append_utf8(out, code);
  return true;
}

// Appends the text as expat hands it on: references resolved, a line break
// of \r\n or \r made \n. False at a reference that is not one.
bool decode_text(const char* p, const char* end, std::string& out) {
  while (p < end) {
    const char* special = p;
    while (special < end && *special != '&' && *special != '\r') ++special;
    out.append(p, special);
    if (special == end) break;
    if (*special == '\r') {
      out.push_back('\n');
      p = special + 1;
      if (p < end && *p == '\n') ++p;
      continue;
    }
    const auto* semicolon =
        static_cast<const char*>(std::memchr(special + 1, ';', static_cast<std::size_t>(end - special - 1)));
    if (!semicolon) return false;
    if (!resolve_reference(std::string_view(special + 1, static_cast<std::size_t>(semicolon - special - 1)), out))
      return false;
    p = semicolon + 1;
  }
  return true;
}

using Element = CellScanner::Element;

bool is_run_property(std::string_view name) {
  static constexpr std::string_view kNames[] = {"rFont",  "charset", "family", "b",  "i", "strike",    "outline",
                                                "shadow", "condense", "extend", "color", "sz", "u", "vertAlign",
                                                "scheme"};
  for (const std::string_view known : kNames)
    if (name == known) return true;
  return false;
}

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
      tag_(std::make_unique<StartTag>()),
      prefix_(prefix),
      depth_limit_(limits.max_element_depth) {}

CellScanner::~CellScanner() = default;


CellScanner::Stop CellScanner::scan(std::string_view text, std::size_t& stopped_at) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  for (;;) {
    const auto* less = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
    const char* text_end = less ? less : end;
    if (text_end != p && !take_text(p, text_end)) return Stop::declined;
    if (!less) {
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
  // Each line break and reference costs expat two more pieces of text.
  std::uint64_t items = 1;
  bool plain = true;  // the text is its own bytes
  for (const char* c = begin; c < end;) {
    const auto byte = static_cast<unsigned char>(*c);
    if (byte >= 0x80) {
      const std::size_t length = utf8_length(c, end);
      if (length == 0) return false;
      c += length;
      continue;
    }
    if (byte < 0x20) {
      if (byte == '\r') plain = false;
      else if (byte != '\n' && byte != '\t') return false;
      if (byte != '\t') items += 2;
    } else if (byte == '&') {
      plain = false;
      items += 2;
    } else if (byte == '>' && c - begin >= 2 && c[-1] == ']' && c[-2] == ']') {
      return false;  // "]]>" may not stand in text
    }
    ++c;
  }
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
  StartTag& tag = *tag_;
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
      const Attribute* number = tag.find("r");
      if (number && !number->plain) return false;
      if (cells_.begin_row(number ? &number->value : nullptr) != ReadStatus::ok) return false;
      break;
    }
    case Element::cell: {
      cell_ = CellMarkup();
      value_here_ = false;
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
  open_[depth_++] = {element, collecting, tag.local};
  return true;
}

bool CellScanner::end_element(const char*& p, const char* end, bool& rows_ended) {
  std::string_view qualified, local;
  if (!read_name(p, end, qualified, local)) return false;
  p = skip_spaces(p, end);
  if (p >= end || *p != '>') return false;
  ++p;
  if (!has_prefix(qualified, local)) return false;
  if (depth_ == 0) {
    rows_ended = local == "sheetData";
    return rows_ended;
  }
  if (!same_name(local, open_[depth_ - 1].name)) return false;
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

// False when the XML declaration names another encoding than UTF-8: expat
// would read the bytes as that, the scanner cannot.
bool declares_utf8_or_nothing(std::string_view part) {
  if (part.substr(0, 3) == "\xEF\xBB\xBF") part.remove_prefix(3);
  if (part.size() < 6 || part.substr(0, 5) != "<?xml" || !is_space(part[5])) return true;
  const std::size_t close = part.find("?>");
  if (close == std::string_view::npos) return false;
  const std::string_view declaration = part.substr(0, close);
  const std::size_t at = declaration.find("encoding");
  if (at == std::string_view::npos) return true;
  const char* p = skip_spaces(declaration.data() + at + 8, declaration.data() + declaration.size());
  const char* end = declaration.data() + declaration.size();
  if (p >= end || *p != '=') return false;
  p = skip_spaces(p + 1, end);
  if (p >= end || (*p != '"' && *p != '\'')) return false;
  const char quote = *p++;
  const std::string_view name(p, static_cast<std::size_t>(end - p));
  const std::size_t name_end = name.find(quote);
  if (name_end != 5) return false;
  const std::string_view utf8 = "utf-8";
  for (std::size_t i = 0; i < 5; ++i)
    if ((name[i] | 0x20) != utf8[i]) return false;
  return true;
}

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
    StartTag tag;
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
