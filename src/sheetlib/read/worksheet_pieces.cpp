#include "sheetlib/read/worksheet_pieces.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sheetlib/read/cell_scanner.h"
#include "sheetlib/read/piece_cutter.h"
#include "sheetlib/read/piece_helper.h"
#include "sheetlib/read/piece_joiner.h"
#include "sheetlib/read/read_ahead.h"

namespace sheetlib {

namespace {

// expat's handler of the sheet read in pieces: besides the head and the
// tail it reads the pieces streamed as their bytes come. Such a piece
// begins with a <row> that says which row it is (one without its number
// would follow the row before it, which another parser read), at the level
// of <sheetData>; its cells go to the piece.
class PiecesHandler final : public WorksheetHandler {
 public:
  using WorksheetHandler::WorksheetHandler;

  // A piece that `parser` reads from its byte `at` on.
  void expect_piece(xml::Parser& parser, std::uint64_t at, Piece& piece) {
    parser.expect_start_at(at);
    pieces_.push_back(&piece);
  }
  bool expected_start(std::size_t nth, xml::Name name, const xml::Attributes& attributes, int depth) override {
    if (!between_rows() || depth != 3 || !name.is(xml::Ns::main, "row") || !attributes.find(xml::Ns::none, "r"))
      return false;
    cells().send_to(&pieces_[nth]->cells, &pieces_[nth]->look);
    return true;
  }

 private:
  std::vector<Piece*> pieces_;  // in the order expected
};

// Takes the sheet's bytes as they are inflated: cuts them into pieces and
// has each read, on this thread or the helper's.
class PieceReader final : public PartSink {
 public:
  explicit PieceReader(const SheetReading& sheet)
      : sheet_(sheet),
        handler_(sheet.storage, sheet.formats, sheet.date1904, &sheet.layout, sheet.look),
        parser_(handler_, sheet.limits, &sheet.budget),
        cutter_(spares_),
        joiner_(sheet.storage, spares_, sheet.look ? &sheet.look->rows : nullptr),
        helper_(sheet.limits, sheet.budget, sheet.formats, sheet.date1904, sheet.look != nullptr) {}

  // False stops the inflating (the sheet is then read whole).
  bool take(const char* data, std::size_t size, bool last) override {
    if (phase_ == Phase::head) {
      std::size_t first = 0;
      if (!cutter_.take_head(data, size, first)) return fail();
      if (first == RowStartsScanner::npos) return !last;
      if (!begin_rows(first)) return fail();
    } else {
      cutter_.append(data, size);
    }
    cut_pieces();
    if (last) read_last_piece();
    // A piece that failed on either thread ends the reading in pieces.
    if (parser_.status() != ReadStatus::ok || helper_.failed()) return fail();
    return phase_ == Phase::pieces || phase_ == Phase::read;
  }

  // Once the stream is read: joins the helper's cells to this thread's.
  bool finish() {
    const bool helper_read = helper_.finish();
    if (phase_ != Phase::read || !helper_read || parser_.status() != ReadStatus::ok ||
        !parser_.met_every_expected_start())
      return false;
    joiner_.join_done();
    return joiner_.adopt(helper_.storage());
  }

  std::uint64_t pieces() const { return pieces_made_; }

  // What the parser and the scanners spent of the budget (the helper
  // stopped first).
  std::uint64_t spent() {
    helper_.stop();
    return parser_.spent() + helper_.spent() + (scanner_ ? scanner_->spent() : 0);
  }
  // over_limit when expat met a limit (the depth, the markup budget, the
  // arena), which reading the sheet whole would meet as well. A scanner
  // declines at a limit instead; the reading of the whole then meets it.
  ReadStatus limit_met() const {
    return parser_.status() == ReadStatus::over_limit ? ReadStatus::over_limit : ReadStatus::ok;
  }

 private:
  enum class Phase { head, pieces, read, failed };

  // Reads the head up to the first row, which begins at `first`, and starts
  // the scanners. False when the sheet is not to be read in pieces.
  bool begin_rows(std::size_t first) {
    if (!parser_.feed(cutter_.head().data(), first, false)) return false;
    fed_ = first;
    // The rows must be the sheet's rows, where the sheet's rows are.
    const std::string& row_name = cutter_.row_name();
    const xml::Name row = parser_.namespaces().resolve(row_name.c_str(), false);
    if (!row.is(xml::Ns::main, "row") || !handler_.between_rows()) return false;
    // The scanners read rows named so, and their prefix stands for the main
    // namespace until </sheetData>: they refuse declarations.
    const std::string_view prefix = std::string_view(row_name).substr(0, row_name.size() - 3);
    scanner_.emplace(handler_.cells(), sheet_.limits, sheet_.budget, prefix);
    // Without a second thread the sheet is read whole.
    if (!helper_.start(prefix)) return false;
    cutter_.begin_pieces(first);
    phase_ = Phase::pieces;
    return true;
  }

  void cut_pieces() {
    // After a failure the scanners are not used again: the sheet is read whole.
    while (phase_ == Phase::pieces) {
      std::unique_ptr<Piece> piece = cutter_.cut();
      if (cutter_.unsure()) {
        fail();
        return;
      }
      if (!piece) {
        Piece& current = cutter_.current();
        if (cutter_.must_stream()) {
          current.streamed = true;
          handler_.expect_piece(parser_, fed_, current);
        }
        // What was scanned holds no row start: it is read now, and the
        // piece keeps only the rest.
        if (current.streamed) {
          feed_here(cutter_.scanned(), false);
          cutter_.drop_scanned();
        }
        return;
      }
      ++pieces_made_;
      if (piece->streamed) {
        end_streamed(std::move(piece));
      } else {
        dispatch(std::move(piece));
      }
    }
  }

  void feed_here(std::string_view xml, bool last) {
    parser_.feed(xml.data(), xml.size(), last);
    fed_ += xml.size();
  }

  // The rest of a streamed piece: expat must then stand between rows, where
  // the next piece is scanned.
  void end_streamed(std::unique_ptr<Piece> owned) {
    Piece& piece = joiner_.add(std::move(owned));
    feed_here(piece.xml, false);
    if (!handler_.between_rows()) {
      fail();
      return;
    }
    piece.done.store(true);
    joiner_.join_done();
  }

  // The helper takes the piece when it is free; otherwise it is read here.
  void dispatch(std::unique_ptr<Piece> owned) {
    Piece& piece = joiner_.add(std::move(owned));
    if (helper_.take(piece)) {
      piece.by_helper = true;
    } else {
      std::size_t stopped_at = 0;
      if (scan_piece(*scanner_, handler_.cells(), piece, stopped_at) != CellScanner::Stop::end_of_text) fail();
      piece.done.store(true);
    }
    joiner_.join_done();
  }

  // The last piece holds the end of the sheet: this thread reads it, its
  // rows with the scanner (unless it was streamed), the rest with expat.
  void read_last_piece() {
    if (phase_ != Phase::pieces) return;
    ++pieces_made_;
    Piece& last = joiner_.add(cutter_.take_last());
    std::string_view rest = last.xml;
    if (!last.streamed) {
      std::size_t stopped_at = 0;
      if (scan_piece(*scanner_, handler_.cells(), last, stopped_at) != CellScanner::Stop::end_of_rows) {
        fail();
        return;
      }
      rest.remove_prefix(stopped_at);
    }
    feed_here(rest, true);
    last.done.store(true);
    phase_ = Phase::read;
  }

  bool fail() {
    phase_ = Phase::failed;
    return false;
  }

  const SheetReading& sheet_;
  PiecesHandler handler_;
  xml::Parser parser_;
  std::optional<CellScanner> scanner_;  // this thread's, once the rows are found
  SparePieces spares_;
  PieceCutter cutter_;
  PieceJoiner joiner_;
  PieceHelper helper_;  // after the pieces: it stops before they go
  Phase phase_ = Phase::head;
  std::uint64_t fed_ = 0;  // bytes fed to expat
  std::uint64_t pieces_made_ = 0;
};

}  // namespace

ReadStatus read_worksheet_in_pieces(PartStream& stream, const SheetReading& sheet, bool& read_whole,
                                    std::uint64_t& pieces) {
  read_whole = false;
  pieces = 0;
  PieceReader reader(sheet);
  if (read_part(stream, reader) == ReadStatus::ok && reader.finish()) {
    pieces = reader.pieces();
    return ReadStatus::ok;
  }
  if (const ReadStatus limit = reader.limit_met(); limit != ReadStatus::ok) return limit;
  sheet.budget.give_back(reader.spent());
  read_whole = true;
  return ReadStatus::ok;
}

}  // namespace sheetlib
