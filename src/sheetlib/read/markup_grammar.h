// The markup that our own scanners of the parts holding the cells read
// (cell_scanner.h: the rows of a worksheet; shared_strings_scanner.h: the
// items of the shared strings), in one place: which element may stand in
// which, which text belongs to the cell or the item, and the reading of
// their tags and text. Rich text is one grammar wherever it stands, in a
// cell's inline string (<is>) or a shared string (<si>): texts <t>, runs
// <r> with their properties <rPr>, phonetic runs <rPh> (whose text, runs
// and all, is left out, as expat's handlers leave it out) and <phoneticPr>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "sheetlib/core/limits.h"
#include "sheetlib/read/markup_lexing.h"
#include "sheetlib/read/xml_stream.h"

namespace sheetlib::markup {

enum class Element : std::uint8_t {
  sheet_data, row, cell, value, formula, inline_string,  // the rows of a worksheet, inside <sheetData>
  table, item,                                           // the shared strings, inside <sst>
  text, run, run_properties, run_property, phonetic_run, phonetic_properties,  // rich text, in either
};

// The formatting elements of a rich-text run's <rPr> (<b/>, <sz val="11"/>,
// …), which hold nothing the cells keep.
bool is_run_property(std::string_view name);

// The child elements each element may have, by local name.
[[gnu::always_inline]] inline bool child_of(Element parent, std::string_view name, Element& child) {
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
    case Element::table:
      return is("si", Element::item);
    case Element::inline_string:
    case Element::item:
      return is("t", Element::text) || is("r", Element::run) || is("rPh", Element::phonetic_run) ||
             is("phoneticPr", Element::phonetic_properties);
    case Element::run:
      return is("rPr", Element::run_properties) || is("t", Element::text);
    case Element::phonetic_run:
      return is("t", Element::text) || is("r", Element::run);
    case Element::run_properties:
      if (!is_run_property(name)) return false;
      child = Element::run_property;
      return true;
    default:
      return false;
  }
}

// Text gathered from the runs between tags, as expat hands it on: a view of
// the scanned text while it is one run of plain text, else a copy.
class GatheredText {
 public:
  void clear() { view_ = {}; copied_ = false; }
  bool empty() const { return !copied_ && view_.empty(); }
  std::string_view view() const { return copied_ ? std::string_view(copy_) : view_; }
  // Adds a run that check_text accepted (`plain` as it said); false at a
  // reference that is not one.
  bool add(const char* begin, const char* end, bool plain) {
    if (plain && empty()) {
      view_ = std::string_view(begin, static_cast<std::size_t>(end - begin));
      return true;
    }
    return add_copied(begin, end, plain);
  }

 private:
  bool add_copied(const char* begin, const char* end, bool plain);

  std::string_view view_;
  std::string copy_;
  bool copied_ = false;
};

// The elements a scanner reads inside the root of its part (<sheetData> at
// depth 2 of a worksheet, <sst> at depth 1 of the shared strings): each tag
// read, written with the root's prefix, checked against the grammar and the
// depth limit, its markup items spent as expat counts them; each run of text
// checked and counted as expat would and gathered where it belongs. The
// scanner adds what the elements mean. What runs for every tag and text is
// always inlined into the scanner: as calls, they cost a sheet's scan more
// than a tenth.
class ElementReader {
 public:
  // `prefix` is how the root was written ("" or "x:"): every element inside
  // it must be written so. The markup items are drawn from `budget`.
  ElementReader(Element root, std::string_view prefix, const ReadLimits& limits, xml::MarkupBudget& budget);

  bool spend(std::uint64_t items) { return allowance_.spend(items); }
  std::uint64_t spent() const { return allowance_.spent(); }
  // Elements open inside the root.
  int depth() const { return depth_; }
  // Whether `elements` more may be opened inside those open.
  bool room_for(int elements) const { return depth_ + elements <= most_open_; }

  // Reads a start tag after its '<' and tells which element it is. False
  // when it is not well formed, not one the scanners read, or not one that
  // may stand here. tag() holds it until the next is read; unless it is
  // empty (<name/>), the caller opens it.
  [[gnu::always_inline]] bool read_start(const char*& p, const char* end, Element& element) {
    StartTag& tag = *tag_;
    if (!read_start_tag(p, end, tag) || !spend(1 + static_cast<std::uint64_t>(tag.count))) return false;
    if (!has_prefix(tag.qualified, tag.local) || depth_ >= most_open_) return false;
    return child_of(depth_ > 0 ? open_[depth_ - 1].element : root_, tag.local, element);
  }
  const StartTag& tag() const { return *tag_; }
  // Opens the element of the start tag just read.
  void open(Element element) {
    const bool phonetic = element == Element::phonetic_run || (depth_ > 0 && open_[depth_ - 1].phonetic);
    const bool kept = element == Element::value || (element == Element::text && !phonetic);
    open_[depth_++] = {element, phonetic, kept, tag_->qualified};
  }

  // Reads an end tag after its "</": that of the element open, which it
  // closes, or with none open that of the root. `closed` tells which.
  [[gnu::always_inline]] bool read_end(const char*& p, const char* end, Element& closed) {
    // Mostly the end tag of the element open, written as its start tag was.
    if (depth_ > 0) {
      const std::string_view open = open_[depth_ - 1].name;
      if (static_cast<std::size_t>(end - p) > open.size() && p[open.size()] == '>' &&
          same_name(std::string_view(p, open.size()), open)) {
        p += open.size() + 1;
        closed = open_[--depth_].element;
        return true;
      }
    }
    return read_other_end(p, end, closed);
  }

  // The element open innermost; whether its text belongs to the cell or the
  // item (a <v>, or a <t> outside phonetic runs).
  Element innermost() const { return open_[depth_ - 1].element; }
  bool keeps_text() const { return depth_ > 0 && open_[depth_ - 1].kept; }

  // Checks a run of text between tags as expat would, spends the items expat
  // reports it in, and adds it to `into`; with none, the text is not kept
  // but its references must still be sound.
  [[gnu::always_inline]] bool take_text(const char* begin, const char* end, GatheredText* into) {
    std::uint64_t items = 0;
    bool plain = true;  // the text is its own bytes
    if (!check_text(begin, end, items, plain) || !spend(items)) return false;
    if (into) return into->add(begin, end, plain);
    if (plain) return true;
    scratch_.clear();
    return decode_text(begin, end, scratch_);
  }

 private:
  struct Open {
    Element element;
    bool phonetic;          // a phonetic run, or inside one
    bool kept;              // its text belongs to the cell or the item
    std::string_view name;  // qualified, as written, in the text being scanned
  };
  // Deepest nesting the grammar allows: <row><c><is><rPh><r><rPr><b/>.
  static constexpr int kMostOpen = 7;

  bool has_prefix(std::string_view qualified, std::string_view local) const {
    return qualified.size() - local.size() == prefix_.size() &&
           (prefix_.empty() || qualified.substr(0, prefix_.size()) == prefix_);
  }
  bool read_other_end(const char*& p, const char* end, Element& closed);

  xml::MarkupAllowance allowance_;  // the scanner's share of the part's budget
  std::unique_ptr<StartTag> tag_;   // the one being read, made once
  std::string prefix_;
  Element root_;
  int most_open_;  // kMostOpen, or fewer where the depth limit says so
  Open open_[kMostOpen];
  int depth_ = 0;
  std::string scratch_;  // text whose references are checked, not kept
};

}  // namespace sheetlib::markup
