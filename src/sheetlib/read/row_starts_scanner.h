// Finds where the start tags of rows begin in a worksheet's XML without
// parsing it: every '<' outside a comment, a CDATA section and a processing
// instruction begins a tag (text and attribute values cannot hold one), so
// the tags named as the first row is named are the places where the sheet
// can be cut into pieces that parsers read apart.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sheetlib {

class RowStartsScanner {
 public:
  // `row_name` is the qualified name of the sheet's rows ("row", "x:row");
  // empty for any name whose local part is "row" (the first one found is
  // the name from then on).
  explicit RowStartsScanner(std::string row_name = {}) : row_name_(std::move(row_name)) {}

  // Scans `text` from `from` on, where text[0 … from) was scanned before
  // (the text only grows between calls). Returns the offset of the first
  // row start tag's '<' at or after max(from, not_before), or npos;
  // `scanned` is where the next call must go on from (a tag cut off at the
  // end of the text is looked at again once the text has grown).
  std::size_t next(std::string_view text, std::size_t from, std::size_t& scanned, std::size_t not_before = 0);
  // The rows' qualified name (once one was found).
  const std::string& row_name() const { return row_name_; }

  // True once the text held something the cuts cannot be trusted after (a
  // document type declaration): the sheet is then read in one piece.
  bool unsure() const { return unsure_; }

  static constexpr std::size_t npos = std::string::npos;

 private:
  enum class State { markup, comment, cdata, instruction };
  bool is_row(std::string_view tag);
  std::string row_name_;
  State state_ = State::markup;
  bool unsure_ = false;
};

}  // namespace sheetlib
