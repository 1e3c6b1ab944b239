// The shared strings part read without expat where it can be: a scanner of
// our own reads the items (<si> and what writers put in it: <t>, rich-text
// runs <r> with their <rPr> run properties, phonetic runs <rPh> and
// <phoneticPr>; the five predefined entities and character references;
// white space between items), expat reads what lies before the first item
// (the XML declaration, comments, the start tag of <sst> with its namespace
// declarations) and after the last (an <extLst>, the end tag of <sst>).
//
// The part is read as it is inflated, piece by piece. An item that a piece
// cuts in two is held back and read whole once its end tag has come. At
// the first thing the scanner does not read (among the items a comment, a
// processing instruction, CDATA, a namespace declaration, a prefix other
// than that of <sst>, an element it does not know; anywhere a DOCTYPE,
// markup that is not well formed, bytes that are not UTF-8, an item of more
// than a few MiB) it declines, however far it got: the caller then reads
// the whole part again with expat and SharedStringsHandler, from its start.
// A part is never read half by one and half by the other.
//
// Item texts are stored as SharedStringsHandler stores them (the same
// texts, in the same order, under the same limit of strings), so that both
// readings give the same strings; the markup items are counted against the
// same budget, never fewer than expat would count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/grid_text.h"
#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"
#include "sheetlib/read/xml_stream.h"

namespace sheetlib {

class SharedStringsScanner {
 public:
  // Texts go to `storage`'s arena; the markup items read are drawn from
  // `budget`.
  SharedStringsScanner(CellGrid::Storage& storage, const ReadLimits& limits, xml::MarkupBudget& budget);
  ~SharedStringsScanner();
  SharedStringsScanner(const SharedStringsScanner&) = delete;
  SharedStringsScanner& operator=(const SharedStringsScanner&) = delete;

  // Reads the part's next `size` bytes; `last` with its final ones (there
  // may be none). False when the reading has stopped: it declined (see
  // declined()) or failed (see status()); it must not be fed again then.
  bool consume(const char* data, std::size_t size, bool last);

  // True once the scanner has declined the part. The budget is then as it
  // was before the part, the strings stored so far are not the part's
  // (their texts stay in the arena, unused), and the part must be read
  // again, whole, by expat.
  bool declined() const { return declined_; }
  // ok while the reading goes well and after it has read the last bytes;
  // over_limit when the part has more strings than the limit allows or the
  // arena is full, as expat's reading would fail there too.
  ReadStatus status() const { return status_; }
  // The items' texts, in order, once the last bytes were read.
  SharedStringSpans take_strings();

 private:
  class Items;    // the scanner of the items, between what expat reads
  class Framing;  // the handler expat reads before and after the items with
  enum class Phase : std::uint8_t { head, items, tail, done, stopped };

  bool read_head(const char* data, std::size_t size, bool last);
  bool read_items(const char* p, const char* end, bool last);
  bool read_held();
  bool read_tail(const char* data, std::size_t size, bool last);
  bool decline();
  bool fail(ReadStatus status);

  CellGrid::Storage& storage_;
  const ReadLimits& limits_;
  xml::MarkupBudget& budget_;
  std::unique_ptr<Framing> framing_;
  std::unique_ptr<xml::Parser> parser_;
  std::unique_ptr<Items> items_;  // made once the start tag of <sst> is read
  Phase phase_ = Phase::head;
  ReadStatus status_ = ReadStatus::ok;
  bool declined_ = false;

  // The bytes read but not yet used: the head until the start tag of <sst>
  // is whole, then the beginning of an item (or of a tag between items)
  // that the last piece cut off.
  std::string held_;
  // Whether the held bytes begin an item whose start tag is whole (which
  // its end tag completes), and how many there were when last looked at.
  bool held_item_open_ = false;
  std::size_t held_looked_at_ = 0;
};

}  // namespace sheetlib
