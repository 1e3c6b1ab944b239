#include "sheetlib/read/worksheet_pieces.h"

#include <atomic>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sheetlib/core/helper_thread.h"
#include "sheetlib/read/cell_scanner.h"
#include "sheetlib/read/read_ahead.h"
#include "sheetlib/read/row_starts_scanner.h"
#include "sheetlib/read/worksheet_part.h"

namespace sheetlib {

namespace {

// A piece is cut at the first row that starts this far into it.
constexpr std::size_t kPieceBytes = 256 * 1024;
// A sheet whose first row is not in its first 8 MiB is read whole.
constexpr std::size_t kMostHeadBytes = 8 * 1024 * 1024;
// Joined pieces kept for reuse, with their buffers.
constexpr std::size_t kSparePieces = 2;

struct Piece {
  std::string xml;  // not yet read
  PieceCells cells;
  bool by_helper = false;
  // Read here as its bytes come: a piece that grew past twice the size of
  // a piece without a row to cut at (long rows, or markup that is no row).
  bool streamed = false;
  std::atomic<bool> done{false};
};

// True when the document is UTF-8, as far as its start and its XML
// declaration tell: the cuts are looked for in UTF-8 bytes.
bool declared_utf8(std::string_view head) {
  if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
  if (head.size() >= 2 && (head[0] == '\xFE' || head[0] == '\xFF' || head[0] == '\0' || head[1] == '\0')) return false;
  if (!head.starts_with("<?xml")) return true;
  const std::size_t end = head.find("?>");
  if (end == std::string_view::npos) return false;
  std::string declaration(head.substr(0, end));
  for (char& c : declaration) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  const std::size_t encoding = declaration.find("encoding");
  return encoding == std::string::npos || declaration.find("utf-8", encoding) != std::string::npos;
}

// Reads the rows of a piece with a cell scanner: from its first row, which
// must say which row it is, to its end, between rows. Cells go to the
// piece, texts to the storage of `cells`. False when the scanner declined.
bool scan_piece(CellScanner& scanner, SheetCells& cells, Piece& piece) {
  cells.send_to(&piece.cells);
  scanner.expect_numbered_row();
  std::size_t stopped_at = 0;
  return scanner.scan(piece.xml, stopped_at) == CellScanner::Stop::end_of_text;
}

// The second reader, on a thread of its own: it scans the pieces it is
// given one after another, into cells and a storage of its own.
class HelperScanner {
 public:
  HelperScanner(const ReadLimits& limits, xml::MarkupBudget& budget, const StyleFormats& formats, bool date1904)
      : limits_(limits), budget_(budget), cells_(storage_, formats, date1904) {}
  ~HelperScanner() { stop(); }
  HelperScanner(const HelperScanner&) = delete;
  HelperScanner& operator=(const HelperScanner&) = delete;

  // Starts the thread, for rows written with `prefix`; false when no thread
  // can be had.
  bool start(std::string_view prefix) {
    scanner_.emplace(cells_, limits_, budget_, prefix);
    return thread_.start();
  }
  // Gives the helper a piece when it is free; false when it is busy.
  bool take(Piece& piece) {
    return thread_.hand_off([this, &piece] { read(piece); });
  }
  // Ends the thread; true when every piece it took read as a piece must.
  bool finish() {
    stop();
    return scanner_ && !failed_.load() && !thread_.failure();
  }
  void stop() noexcept { thread_.stop(); }
  CellGrid::Storage& storage() { return storage_; }
  std::uint64_t spent() const { return scanner_ ? scanner_->spent() : 0; }
  // True once a piece failed (read while the thread runs).
  bool failed() const { return failed_.load(); }

 private:
  // On the helper's thread. After a failure the pieces are only marked
  // read: the sheet is read whole.
  void read(Piece& piece) noexcept {
    if (!failed_.load()) {
      bool read = false;
      try {
        read = scan_piece(*scanner_, cells_, piece);
      } catch (...) {
      }
      if (!read) failed_.store(true);
    }
    piece.done.store(true);
  }

  const ReadLimits& limits_;
  xml::MarkupBudget& budget_;
  CellGrid::Storage storage_;  // the texts of its cells
  SheetCells cells_;
  std::optional<CellScanner> scanner_;
  std::atomic<bool> failed_{false};
  HelperThread thread_;  // last: it ends before the scanner goes
};

// Reads the head and the tail of the sheet with expat, the pieces with cell
// scanners on both threads; a piece streamed as its bytes come (see Piece)
// goes to expat, which stands between rows wherever a piece begins.
class PieceReader {
 public:
  PieceReader(const ReadLimits& limits, xml::MarkupBudget& budget, const StyleFormats& formats, bool date1904,
              CellGrid::Storage& storage, SheetLayout& layout)
      : limits_(limits),
        budget_(budget),
        storage_(storage),
        handler_(storage, formats, date1904, &layout),
        parser_(handler_, limits, &budget),
        helper_(limits, budget, formats, date1904) {}
  // The helper may be reading a piece of ours (when an exception ends the
  // reading here): it stops before the pieces go.
  ~PieceReader() { helper_.stop(); }
  PieceReader(const PieceReader&) = delete;
  PieceReader& operator=(const PieceReader&) = delete;

  // Takes the next inflated bytes; false stops the inflating (the sheet is
  // then read whole).
  bool consume(const char* data, std::size_t size, bool last) {
    if (phase_ == Phase::head) {
      head_.append(data, size);
      if (!find_first_row()) return false;
      if (phase_ == Phase::head) return !last && head_.size() <= kMostHeadBytes;
    } else {
      current_->xml.append(data, size);
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
    if (phase_ != Phase::read || !helper_read || parser_.status() != ReadStatus::ok || !parser_.met_every_piece())
      return false;
    join_finished_pieces();
    std::uint32_t base = 0;
    if (!storage_.arena.adopt(helper_.storage().arena, base)) return false;
    for (const auto& [first, end] : helper_ranges_) {
      for (std::size_t i = first; i < end; ++i) {
        CellRecord& cell = storage_.cells[i];
        if (!cell.awaits_shared_string()) cell.offset += base;
      }
    }
    return true;
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

  // Looks for the first row in the head; once found, reads the head and
  // starts the helper. False when the sheet is not to be read in pieces.
  bool find_first_row() {
    const std::size_t first = row_starts_.next(head_, scanned_, scanned_);
    if (row_starts_.unsure()) return fail();
    if (first == RowStartsScanner::npos) return true;
    if (!declared_utf8(head_)) return fail();
    if (!parser_.feed(head_.data(), first, false)) return fail();
    fed_ = first;
    // The rows must be the sheet's rows, where the sheet's rows are.
    const std::string& row_name = row_starts_.row_name();
    const xml::Name row = parser_.namespaces().resolve(row_name.c_str(), false);
    if (!row.is(xml::Ns::main, "row") || !handler_.between_rows()) return fail();
    // The scanners read rows named so, and their prefix stands for the main
    // namespace until </sheetData>: they refuse declarations.
    const std::string_view prefix = std::string_view(row_name).substr(0, row_name.size() - 3);
    scanner_.emplace(handler_.cells(), limits_, budget_, prefix);
    // Without a second thread the sheet is read whole.
    if (!helper_.start(prefix)) return fail();
    current_ = new_piece();
    current_->xml.assign(head_, first);
    std::string().swap(head_);
    scanned_ = 1;
    phase_ = Phase::pieces;
    return true;
  }

  void cut_pieces() {
    // After a failure the scanners are not used again: the sheet is read whole.
    while (phase_ == Phase::pieces) {
      const std::size_t cut = row_starts_.next(current_->xml, scanned_, scanned_, current_->streamed ? 1 : kPieceBytes);
      if (row_starts_.unsure()) {
        fail();
        return;
      }
      if (cut == RowStartsScanner::npos) {
        if (!current_->streamed && current_->xml.size() > 2 * kPieceBytes) {
          current_->streamed = true;
          parser_.expect_piece_at(fed_, &current_->cells);
        }
        // What was scanned holds no row start: it is read now, and the
        // piece keeps only the rest.
        if (current_->streamed) {
          feed_here(std::string_view(current_->xml).substr(0, scanned_), false);
          current_->xml.erase(0, scanned_);
          scanned_ = 0;
        }
        return;
      }
      std::unique_ptr<Piece> next = new_piece();
      next->xml.assign(current_->xml, cut);
      current_->xml.resize(cut);
      if (current_->streamed) {
        ++pieces_made_;
        feed_here(current_->xml, false);
        // The next piece is scanned: expat must stand between rows there.
        if (!handler_.between_rows()) {
          fail();
          return;
        }
        current_->done.store(true);
        pieces_.push_back(std::move(current_));
        join_finished_pieces();
      } else {
        dispatch(std::move(current_));
      }
      current_ = std::move(next);
      scanned_ = 1;
    }
  }

  void feed_here(std::string_view xml, bool last) {
    parser_.feed(xml.data(), xml.size(), last);
    fed_ += xml.size();
  }

  // The helper takes the piece when it is free; otherwise it is read here.
  void dispatch(std::unique_ptr<Piece> piece) {
    ++pieces_made_;
    Piece* taken = piece.get();
    pieces_.push_back(std::move(piece));
    if (helper_.take(*taken)) {
      taken->by_helper = true;
    } else {
      if (!scan_piece(*scanner_, handler_.cells(), *taken)) fail();
      taken->done.store(true);
    }
    join_finished_pieces();
  }

  // The last piece holds the end of the sheet: this thread reads it, its
  // rows with the scanner (unless it was streamed), the rest with expat.
  void read_last_piece() {
    if (phase_ != Phase::pieces) return;
    ++pieces_made_;
    Piece& last = *pieces_.emplace_back(std::move(current_));
    std::string_view rest = last.xml;
    if (!last.streamed) {
      handler_.cells().send_to(&last.cells);
      scanner_->expect_numbered_row();
      std::size_t stopped_at = 0;
      if (scanner_->scan(last.xml, stopped_at) != CellScanner::Stop::end_of_rows) {
        fail();
        return;
      }
      rest.remove_prefix(stopped_at);
    }
    feed_here(rest, true);
    last.done.store(true);
    phase_ = Phase::read;
  }

  // Cells of the pieces read so far, in the sheet's order, into the grid.
  void join_finished_pieces() {
    while (!pieces_.empty() && pieces_.front()->done.load()) {
      Piece& piece = *pieces_.front();
      const std::size_t first = storage_.cells.size();
      for (const PlacedCell& cell : piece.cells) storage_.add_cell(cell.row, cell.column, cell.offset, cell.length);
      if (piece.by_helper) helper_ranges_.emplace_back(first, storage_.cells.size());
      // Its buffers serve a later piece: the next pieces need no memory of
      // their own, and none is left scattered between the threads' heaps.
      if (spare_.size() < kSparePieces) spare_.push_back(std::move(pieces_.front()));
      pieces_.pop_front();
    }
  }

  std::unique_ptr<Piece> new_piece() {
    if (spare_.empty()) return std::make_unique<Piece>();
    std::unique_ptr<Piece> piece = std::move(spare_.back());
    spare_.pop_back();
    piece->xml.clear();
    piece->cells.clear();
    piece->by_helper = false;
    piece->streamed = false;
    piece->done.store(false);
    return piece;
  }

  bool fail() {
    phase_ = Phase::failed;
    return false;
  }

  const ReadLimits& limits_;
  xml::MarkupBudget& budget_;
  CellGrid::Storage& storage_;
  WorksheetHandler handler_;
  xml::Parser parser_;
  std::optional<CellScanner> scanner_;  // this thread's, once the rows are found
  HelperScanner helper_;
  RowStartsScanner row_starts_;
  Phase phase_ = Phase::head;
  std::string head_;
  std::size_t scanned_ = 0;  // of the head, then of the current piece
  std::uint64_t fed_ = 0;    // bytes fed to expat
  std::unique_ptr<Piece> current_;
  std::deque<std::unique_ptr<Piece>> pieces_;  // not yet joined, in order
  std::vector<std::unique_ptr<Piece>> spare_;  // joined, for reuse
  std::uint64_t pieces_made_ = 0;
  // The helper's cells among the grid's (their texts move with its arena).
  std::vector<std::pair<std::size_t, std::size_t>> helper_ranges_;
};

}  // namespace

ReadStatus read_worksheet_in_pieces(PartStream& stream, const ReadLimits& limits, xml::MarkupBudget& budget,
                                    const StyleFormats& formats, bool date1904, CellGrid::Storage& storage,
                                    SheetLayout& layout, bool& read_whole, std::uint64_t& pieces) {
  read_whole = false;
  pieces = 0;
  PieceReader reader(limits, budget, formats, date1904, storage, layout);
  const ReadStatus inflated =
      read_ahead(stream, [&](const char* data, std::size_t size, bool last) { return reader.consume(data, size, last); });
  if (inflated == ReadStatus::ok && reader.finish()) {
    pieces = reader.pieces();
    return ReadStatus::ok;
  }
  if (const ReadStatus limit = reader.limit_met(); limit != ReadStatus::ok) return limit;
  budget.give_back(reader.spent());
  storage.forget_cells();
  layout = {};
  read_whole = true;
  return ReadStatus::ok;
}

}  // namespace sheetlib
