// The rows of a worksheet's <sheetData> read without expat: a scanner of
// our own that knows exactly the markup rows are written in (rows, cells,
// values, formulas, inline and rich text with its run properties and
// phonetic runs, the five predefined entities and character references)
// and declines at anything else: a comment, a processing instruction,
// CDATA, a namespace declaration, a prefix other than that of <sheetData>,
// an element it does not know, markup that is not well formed, bytes that
// are not UTF-8. A declined part is read whole by expat, never half by one
// and half by the other. Cells are placed and stored by the same SheetCells
// as expat's handler uses, so both give the same grid; the markup items are
// counted against the same budget, never fewer than expat would count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"
#include "sheetlib/read/markup_grammar.h"
#include "sheetlib/read/worksheet_part.h"
#include "sheetlib/read/xml_stream.h"

namespace sheetlib {

class CellScanner {
 public:
  // `prefix` is how <sheetData> was written ("" or "x:"): every element of
  // the rows must be written so, and the namespace it stands for is the
  // main one (the caller checked). Cells go to `cells`.
  CellScanner(SheetCells& cells, const ReadLimits& limits, xml::MarkupBudget& budget, std::string_view prefix);
  // What was drawn from the budget and not spent goes back.
  ~CellScanner();
  CellScanner(const CellScanner&) = delete;
  CellScanner& operator=(const CellScanner&) = delete;

  enum class Stop : std::uint8_t {
    end_of_rows,  // at the end tag of <sheetData>
    end_of_text,  // the text ended between rows: more may follow in the next piece
    declined,     // markup the scanner does not read, or a cell the sheet cannot hold
  };
  // Reads the rows of `text`, which begins between rows (after the start tag
  // of <sheetData>, or at a <row> where the sheet was cut). `stopped_at`
  // receives the offset of the end tag at end_of_rows, and of the end of
  // `text` at end_of_text. After a decline the cells stored so far are not
  // the sheet's and the scanner must not be used again.
  Stop scan(std::string_view text, std::size_t& stopped_at);
  // The text of the next scan was cut out of the sheet at a row: that row
  // must say which it is (the rows before it may not have been read here).
  void expect_numbered_row() { numbered_row_expected_ = true; }

  // Markup items spent: start tags, their attributes, and for every run of
  // text one and two more per reference and per line break, as expat
  // reports text in pieces split there.
  std::uint64_t spent() const { return reader_.spent(); }

 private:
  bool start_element(const char*& p, const char* end);
  bool end_element(const char*& p, const char* end, bool& rows_ended);
  bool close(markup::Element element);
  bool take_text(const char* begin, const char* end);

  SheetCells& cells_;
  markup::ElementReader reader_;
  bool numbered_row_expected_ = false;

  // The cell being read.
  CellMarkup cell_;
  markup::GatheredText value_;        // of <v>
  markup::GatheredText inline_text_;  // the <t> texts of <is>
};

// Reads a whole worksheet part held in memory: expat reads what lies
// around the rows of <sheetData> (the layout, and whatever else the sheet
// holds) into `handler`, the scanner reads the rows into the handler's
// SheetCells. Sets `declined` when the part must be read whole by expat
// instead: then `handler` must not be used again, the cells and layout it
// stored must be dropped (its storage's texts stay, unused), and the budget
// is as it was. A part whose expat reading fails is declined too, so that
// its failure is the one the whole reading reports.
ReadStatus read_worksheet_scanning(std::string_view part, const ReadLimits& limits, xml::MarkupBudget& budget,
                                   WorksheetHandler& handler, bool& declined);

}  // namespace sheetlib
