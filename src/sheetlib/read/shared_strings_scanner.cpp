#include "sheetlib/read/shared_strings_scanner.h"

#include <cstring>
#include <string_view>

#include "sheetlib/read/markup_grammar.h"
#include "sheetlib/read/ooxml_text.h"

namespace sheetlib {

namespace {

using namespace markup;

// The bytes held back at most: an item (a cell's text, which Excel keeps
// to 32,767 characters, with its runs' formatting) or a tag that pieces
// cut off. Larger ones go to expat.
constexpr std::size_t kMostHeldBytes = 4 * 1024 * 1024;

// Bytes of text that store as they are: printable ASCII but for '&' (a
// reference), ']' (of "]]>", which text may not hold) and '_' (of an
// _xHHHH_ escape).
struct SimpleBytes {
  bool simple[256] = {};
  constexpr SimpleBytes() {
    for (int c = 0x20; c < 0x7F; ++c) simple[c] = c != '&' && c != ']' && c != '_' && c != '<';
  }
};
inline constexpr SimpleBytes kSimpleBytes;

// A text that expat hands on in one piece as it is, and that
// store_package_text would store as it is: no reference, line break,
// escape or byte that needs converting.
bool is_simple_text(const char* p, const char* end) {
  for (; p < end; ++p)
    if (!kSimpleBytes.simple[static_cast<unsigned char>(*p)]) return false;
  return true;
}

// The '>' that ends the tag beginning at p, past quoted attribute values;
// null when the text ends first.
const char* tag_close(const char* p, const char* end) {
  for (; p < end; ++p) {
    if (*p == '>') return p;
    if (*p == '"' || *p == '\'') {
      p = static_cast<const char*>(std::memchr(p + 1, *p, static_cast<std::size_t>(end - p - 1)));
      if (!p) return nullptr;
    }
  }
  return nullptr;
}

// Just past the first end tag of `name` in [p, end); null when there is
// none. Text and attribute values cannot hold a '<', so the first such tag
// after an item's start tag is its end, or the item is not well formed.
const char* after_end_tag(const char* p, const char* end, std::string_view name) {
  while (p < end) {
    const auto* less = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
    if (!less) return nullptr;
    p = less + 1;
    if (static_cast<std::size_t>(end - p) < name.size() + 2) return nullptr;
    if (*p != '/' || std::memcmp(p + 1, name.data(), name.size()) != 0) continue;
    const char* close = skip_spaces(p + 1 + name.size(), end);
    if (close == end) return nullptr;
    if (*close == '>') return close + 1;
  }
  return nullptr;
}

// Where the start tag of the root lies in the beginning of a part: after a
// byte order mark, an XML declaration (of UTF-8), comments, processing
// instructions and white space, each optional, which expat reads with it. A
// DOCTYPE is declined, as is anything the head may not hold.
enum class Head : std::uint8_t { found, incomplete, declined };

Head find_root(std::string_view head, std::size_t& tag_begin, std::size_t& tag_end) {
  // A head shorter than a byte order mark is incomplete below.
  std::size_t at = head.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  for (;;) {
    while (at < head.size() && is_space(head[at])) ++at;
    if (head.size() - at < 4) return Head::incomplete;
    const std::string_view rest = head.substr(at);
    const bool instruction = rest.substr(0, 2) == "<?";
    if (!instruction && rest.substr(0, 4) != "<!--") break;
    const std::string_view close_mark = instruction ? "?>" : "-->";
    const std::size_t close = rest.find(close_mark, instruction ? 2 : 4);
    if (close == std::string_view::npos) return Head::incomplete;
    at += close + close_mark.size();
  }
  const char* const end = head.data() + head.size();
  const char* p = head.data() + at;
  if (*p != '<' || !is_name_start(p[1])) return Head::declined;
  const char* close = tag_close(p, end);
  if (!close) return Head::incomplete;
  // The XML declaration, which only the very beginning may hold, is whole.
  if (!declares_utf8_or_nothing(head)) return Head::declined;
  tag_begin = at;
  tag_end = static_cast<std::size_t>(close + 1 - head.data());
  return Head::found;
}

}  // namespace

// What expat reads around the items is read into this: the root must be
// <sst> of the main namespace, and no item may come after it (past an
// <extLst>, say), where the scanner did not read it.
class SharedStringsScanner::Framing : public xml::Handler {
 public:
  void start(xml::Name name, const xml::Attributes&) override {
    if (!root_met_) {
      root_met_ = true;
      root_is_table_ = name.is(xml::Ns::main, "sst");
    } else if (name.is(xml::Ns::main, "si")) {
      item_met_ = true;
    }
  }
  void end(xml::Name) override {}

  bool root_is_table() const { return root_is_table_; }
  bool item_met() const { return item_met_; }

 private:
  bool root_met_ = false;
  bool root_is_table_ = false;
  bool item_met_ = false;
};

// Reads the items from texts that begin between items, each item whole or
// not at all, so that a text may end anywhere.
class SharedStringsScanner::Items {
 public:
  // `prefix` is how <sst> was written ("" or "x:"): every element of the
  // items must be written so.
  Items(CellGrid::Storage& storage, const ReadLimits& limits, xml::MarkupBudget& budget, std::string_view prefix)
      : storage_(storage),
        reader_(Element::table, prefix, limits, budget),
        item_name_(std::string(prefix).append("si")),
        extension_name_(std::string(prefix).append("extLst")),
        table_name_(std::string(prefix).append("sst")),
        plain_begin_(std::string("<").append(item_name_).append("><").append(prefix).append("t>")),
        plain_end_(std::string("</").append(prefix).append("t></").append(item_name_).append(">")),
        max_strings_(limits.max_shared_strings) {}

  enum class Stop : std::uint8_t {
    end_of_items,  // at the tag that follows them: <extLst> or </sst>
    end_of_text,   // the text ended between items, or in one not whole
    declined,      // markup the scanner does not read
    over_limit,    // a string past the limit, or the arena full
  };
  // Reads the whole items at the beginning of `text`. `stopped_at` receives
  // the offset of the tag that follows the items at end_of_items, and of
  // the first byte not read at end_of_text: the end, or the beginning of an
  // item or a tag the text cuts off (`open_item` then tells an item whose
  // start tag is whole, which waits for its end tag).
  Stop scan(std::string_view text, std::size_t& stopped_at, bool& open_item);

  bool spend(std::uint64_t items) { return reader_.spend(items); }
  std::uint64_t spent() const { return reader_.spent(); }
  const std::string& item_name() const { return item_name_; }

  SharedStringSpans strings;

 private:
  // What the tag at a '<' between items is, once its name is whole.
  enum class Next : std::uint8_t { item, end_of_items, unknown, incomplete };
  Next next_at(const char* p, const char* end) const;
  const char* item_end(const char* p, const char* end, bool& open_item) const;
  const char* plain_item_end(const char* p, const char* end) const;
  bool read_plain_item(const char* p, const char* text_end);
  bool skip_white_space(const char*& p, const char* end);
  bool read_item(const char* p, const char* end);
  bool start_element(const char*& p, const char* end);
  bool end_element(const char*& p, const char* end);
  bool begin_item();
  bool close(Element element);
  bool take_text(const char* begin, const char* end, bool kept);

  CellGrid::Storage& storage_;
  ElementReader reader_;
  std::string item_name_, extension_name_, table_name_;  // with the prefix
  std::string plain_begin_, plain_end_;  // of an item of one text: "<si><t>", "</t></si>"
  std::size_t max_strings_;
  bool over_limit_ = false;

  GatheredText text_;         // of the item being read
  bool text_simple_ = false;  // it is a view of a simple text (see is_simple_text)
};

SharedStringsScanner::Items::Stop SharedStringsScanner::Items::scan(std::string_view text, std::size_t& stopped_at,
                                                                    bool& open_item) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  for (;;) {
    open_item = false;
    if (!skip_white_space(p, end)) return Stop::declined;
    stopped_at = static_cast<std::size_t>(p - begin);
    if (p == end) return Stop::end_of_text;
    if (*p != '<') return Stop::declined;
    if (const char* text_end = plain_item_end(p, end)) {
      if (!read_plain_item(p, text_end)) return over_limit_ ? Stop::over_limit : Stop::declined;
      p = text_end + plain_end_.size();
      continue;
    }
    switch (next_at(p, end)) {
      case Next::incomplete:
        return Stop::end_of_text;
      case Next::unknown:
        return Stop::declined;
      case Next::end_of_items:
        return Stop::end_of_items;
      case Next::item:
        break;
    }
    const char* after = item_end(p, end, open_item);
    if (!after) return Stop::end_of_text;
    if (!read_item(p, after)) return over_limit_ ? Stop::over_limit : Stop::declined;
    p = after;
  }
}

SharedStringsScanner::Items::Next SharedStringsScanner::Items::next_at(const char* p, const char* end) const {
  const char* name = p + 1;
  const bool end_tag = name < end && *name == '/';
  if (end_tag) ++name;
  const char* after = name;
  while (after < end && (is_name_char(*after) || *after == ':')) ++after;
  if (after == end) return Next::incomplete;
  const std::string_view written(name, static_cast<std::size_t>(after - name));
  if (end_tag) return written == table_name_ ? Next::end_of_items : Next::unknown;
  if (written == item_name_) return Next::item;
  return written == extension_name_ ? Next::end_of_items : Next::unknown;
}

// Just past the item whose start tag begins at p: its "/>", or the first
// end tag of an item after its start tag.
const char* SharedStringsScanner::Items::item_end(const char* p, const char* end, bool& open_item) const {
  const char* close = tag_close(p, end);
  if (!close) return nullptr;
  if (close[-1] == '/') return close + 1;
  open_item = true;
  return after_end_tag(close + 1, end, item_name_);
}

// Nearly every item is one text, written <si><t>text</t></si>: the end of
// its text when the item at p is that, whole, else null.
const char* SharedStringsScanner::Items::plain_item_end(const char* p, const char* end) const {
  if (static_cast<std::size_t>(end - p) < plain_begin_.size() + plain_end_.size() ||
      !same_name(std::string_view(p, plain_begin_.size()), plain_begin_))
    return nullptr;
  const char* less = find_byte(p + plain_begin_.size(), end, '<');
  if (static_cast<std::size_t>(end - less) < plain_end_.size() ||
      !same_name(std::string_view(less, plain_end_.size()), plain_end_))
    return nullptr;
  return less;
}

// Reads such an item as read_item would: two start tags, one text.
bool SharedStringsScanner::Items::read_plain_item(const char* p, const char* text_end) {
  const char* text = p + plain_begin_.size();
  if (!reader_.room_for(2) || !spend(2) || !begin_item()) return false;
  if (text != text_end && !take_text(text, text_end, true)) return false;
  return close(Element::item);
}

// White space between items, which expat hands on as text (one piece, and
// two more per line break) that no item keeps.
bool SharedStringsScanner::Items::skip_white_space(const char*& p, const char* end) {
  const char* space = p;
  std::uint64_t items = 1;
  for (; space < end && is_space(*space); ++space)
    if (*space == '\n' || *space == '\r') items += 2;
  if (space == p) return true;
  p = space;
  return spend(items);
}

// Reads one item: [p, end) runs from its start tag to just past its end.
bool SharedStringsScanner::Items::read_item(const char* p, const char* end) {
  for (;;) {
    ++p;  // past a '<'
    if (*p == '/') {
      ++p;
      if (!end_element(p, end)) return false;
    } else if (!start_element(p, end)) {
      // Comments, processing instructions and CDATA end here too.
      return false;
    }
    if (reader_.depth() == 0) return p == end;
    const auto* less = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
    if (!less) return false;
    if (less != p && !take_text(p, less, reader_.keeps_text())) return false;
    p = less;
  }
}

bool SharedStringsScanner::Items::start_element(const char*& p, const char* end) {
  Element element;
  if (!reader_.read_start(p, end, element)) return false;
  if (element == Element::item && !begin_item()) return false;
  if (reader_.tag().empty) return close(element);
  reader_.open(element);
  return true;
}

bool SharedStringsScanner::Items::end_element(const char*& p, const char* end) {
  Element closed;
  return reader_.read_end(p, end, closed) && closed != Element::table && close(closed);
}

// expat's reading fails at the start tag of the item past the limit.
bool SharedStringsScanner::Items::begin_item() {
  if (strings.size() >= max_strings_) {
    over_limit_ = true;
    return false;
  }
  text_.clear();
  text_simple_ = false;
  return true;
}

bool SharedStringsScanner::Items::close(Element element) {
  if (element != Element::item) return true;
  const std::string_view text = text_.view();
  TextSpan span;
  span.length = static_cast<std::uint32_t>(text.size());
  const bool stored = text_simple_ ? storage_.append_text(text, span.offset)
                                   : store_package_text(storage_, text, span.offset, span.length);
  if (!stored) {
    over_limit_ = true;
    return false;
  }
  strings.push_back(span);
  return true;
}

bool SharedStringsScanner::Items::take_text(const char* begin, const char* end, bool kept) {
  // Most texts are short words of ASCII: nothing for expat to report in
  // pieces, nothing to resolve, escape or convert.
  if (kept && text_.empty() && is_simple_text(begin, end)) {
    text_.add(begin, end, true);
    text_simple_ = true;
    return spend(1);
  }
  if (kept) text_simple_ = false;
  return reader_.take_text(begin, end, kept ? &text_ : nullptr);
}

SharedStringsScanner::SharedStringsScanner(CellGrid::Storage& storage, const ReadLimits& limits,
                                           xml::MarkupBudget& budget)
    : storage_(storage),
      limits_(limits),
      budget_(budget),
      framing_(std::make_unique<Framing>()),
      parser_(std::make_unique<xml::Parser>(*framing_, limits, &budget)) {}

SharedStringsScanner::~SharedStringsScanner() = default;

bool SharedStringsScanner::consume(const char* data, std::size_t size, bool last) {
  switch (phase_) {
    case Phase::head:
      return read_head(data, size, last);
    case Phase::items:
      // expat hands a text that the end of a piece cuts in two as two pieces.
      if (!items_->spend(1)) return decline();
      return read_items(data, data + size, last);
    case Phase::tail:
      return read_tail(data, size, last);
    case Phase::done:
    case Phase::stopped:
      break;
  }
  return false;
}

SharedStringSpans SharedStringsScanner::take_strings() {
  return items_ ? std::move(items_->strings) : SharedStringSpans();
}

// The head is held until the start tag of <sst> is whole; expat reads it,
// and the scanner goes on after it with the prefix it was written with.
bool SharedStringsScanner::read_head(const char* data, std::size_t size, bool last) {
  if (size > 0) held_.append(data, size);
  if (!last && held_.size() < 2 * held_looked_at_) return true;
  held_looked_at_ = held_.size();
  std::size_t tag_begin = 0, tag_end = 0;
  switch (find_root(held_, tag_begin, tag_end)) {
    case Head::declined:
      return decline();
    case Head::incomplete:
      return last || held_.size() > kMostHeldBytes ? decline() : true;
    case Head::found:
      break;
  }
  const char* name = held_.data() + tag_begin + 1;
  std::string_view qualified, local;
  if (!read_name(name, held_.data() + tag_end, qualified, local) || local != "sst") return decline();
  if (!parser_->feed(held_.data(), tag_end, false) || !framing_->root_is_table()) return decline();
  items_ = std::make_unique<Items>(storage_, limits_, budget_, qualified.substr(0, qualified.size() - local.size()));
  const bool empty = held_[tag_end - 2] == '/';
  const std::string rest = held_.substr(tag_end);
  held_.clear();
  held_looked_at_ = 0;
  phase_ = empty ? Phase::tail : Phase::items;
  if (empty) return read_tail(rest.data(), rest.size(), last);
  return read_items(rest.data(), rest.data() + rest.size(), last);
}

bool SharedStringsScanner::read_items(const char* p, const char* end, bool last) {
  // The held bytes first, with as many new ones as complete them: up to the
  // end tag of the next item, or all.
  while (!held_.empty() && phase_ == Phase::items) {
    const char* item_end = after_end_tag(p, end, items_->item_name());
    const char* cut = item_end ? item_end : end;
    if (cut != p) held_.append(p, cut);
    p = cut;
    // Looked at again when the held item may be whole, or once the held
    // bytes have doubled (an end tag that the pieces cut, a tag between
    // items): small pieces then cost no more than large ones.
    const bool ready = (held_item_open_ && item_end) || held_.size() >= 2 * held_looked_at_;
    if ((ready || (last && p == end)) && !read_held()) return false;
    if (held_.size() > kMostHeldBytes) return decline();
    if (p == end) break;
  }
  if (phase_ == Phase::items && held_.empty() && p != end) {
    std::size_t stopped = 0;
    bool open_item = false;
    const Items::Stop stop = items_->scan(std::string_view(p, static_cast<std::size_t>(end - p)), stopped, open_item);
    if (stop == Items::Stop::declined) return decline();
    if (stop == Items::Stop::over_limit) return fail(ReadStatus::over_limit);
    p += stopped;
    if (stop == Items::Stop::end_of_items) {
      phase_ = Phase::tail;
    } else {
      held_.assign(p, end);
      held_item_open_ = open_item;
      held_looked_at_ = held_.size();
      p = end;
      if (held_.size() > kMostHeldBytes) return decline();
    }
  }
  if (phase_ == Phase::tail) return read_tail(p, static_cast<std::size_t>(end - p), last);
  // A part that ends among its items is not well formed: expat says so.
  return last ? decline() : true;
}

// Reads the held bytes again; those still not read stay.
bool SharedStringsScanner::read_held() {
  std::size_t stopped = 0;
  bool open_item = false;
  const Items::Stop stop = items_->scan(held_, stopped, open_item);
  if (stop == Items::Stop::declined) return decline();
  if (stop == Items::Stop::over_limit) return fail(ReadStatus::over_limit);
  if (stop == Items::Stop::end_of_items) {
    phase_ = Phase::tail;
    const bool read = read_tail(held_.data() + stopped, held_.size() - stopped, false);
    held_.clear();
    return read;
  }
  held_.erase(0, stopped);
  held_item_open_ = open_item;
  held_looked_at_ = held_.size();
  return true;
}

bool SharedStringsScanner::read_tail(const char* data, std::size_t size, bool last) {
  if (!parser_->feed(data, size, last) || framing_->item_met()) return decline();
  if (last) phase_ = Phase::done;
  return true;
}

// Gives back what was spent and what was drawn: expat reads the part again.
bool SharedStringsScanner::decline() {
  budget_.give_back(parser_->spent() + (items_ ? items_->spent() : 0));
  parser_.reset();
  items_.reset();
  held_.clear();
  declined_ = true;
  phase_ = Phase::stopped;
  return false;
}

bool SharedStringsScanner::fail(ReadStatus status) {
  status_ = status;
  phase_ = Phase::stopped;
  return false;
}

}  // namespace sheetlib
