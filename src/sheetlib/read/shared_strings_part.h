// The shared strings part: the texts that string cells refer to by index.
// Each is converted once, into the grid's arena, and cells share it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/grid_text.h"
#include "sheetlib/read/xml_stream.h"

namespace sheetlib {

// Collects the plain text of a string item (<si>, <is>): the <t> runs
// joined, phonetic runs (<rPh>) and their reading left out.
class RichTextCollector {
 public:
  void reset() {
    text_.clear();
    depth_ = 0;
    in_text_ = false;
    phonetic_depth_ = 0;
  }
  void start(xml::Name name);
  void end(xml::Name name);
  void add(std::string_view text) {
    if (in_text_) text_.append(text);
  }
  const std::string& text() const { return text_; }
  // True while inside an element of the item (the item's own end is at depth 0).
  bool in_nested() const { return depth_ > 0; }

 private:
  std::string text_;
  int depth_ = 0;
  int phonetic_depth_ = 0;  // depth of the <rPh> we are inside, or 0
  bool in_text_ = false;
};

class SharedStringsHandler : public xml::Handler {
 public:
  SharedStringsHandler(CellGrid::Storage& storage, std::size_t max_strings)
      : storage_(storage), max_strings_(max_strings) {}
  void start(xml::Name name, const xml::Attributes& attributes) override;
  void end(xml::Name name) override;
  void text(std::string_view text) override {
    if (in_item_) item_.add(text);
  }

  SharedStringSpans take_strings() { return std::move(strings_); }

 private:
  CellGrid::Storage& storage_;
  std::size_t max_strings_;
  SharedStringSpans strings_;
  RichTextCollector item_;
  bool in_item_ = false;
};

}  // namespace sheetlib
