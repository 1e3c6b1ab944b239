#include "sheetlib/read/worksheet_pieces.h"

#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sheetlib/core/helper_thread.h"
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

// The second parser, on a thread of its own: it reads the pieces it is
// given one after another, inside a stand-in for <worksheet><sheetData>
// that binds the prefixes as the sheet binds them there.
class HelperParser {
 public:
  HelperParser(const ReadLimits& limits, xml::MarkupBudget& budget, const StyleFormats& formats, bool date1904)
      : handler_(storage_, formats, date1904), parser_(handler_, limits, &budget) {
    handler_.read_rows_only();
  }
  ~HelperParser() { stop(); }
  HelperParser(const HelperParser&) = delete;
  HelperParser& operator=(const HelperParser&) = delete;

  // Starts the thread and the stand-in document; false when no thread can
  // be had.
  bool start(const std::string& declarations) {
    if (!thread_.start()) return false;
    started_ = true;
    try {
      const std::string prefix = "<w" + declarations + "><d>";
      parser_.feed(prefix.data(), prefix.size(), false);
      fed_ = prefix.size();
    } catch (...) {
      ok_ = false;
    }
    return true;
  }
  // Gives the helper a piece when it is free; false when it is busy.
  bool take(Piece& piece) {
    return thread_.hand_off([this, &piece] { read(piece); });
  }
  // Ends the thread and the stand-in document; true when every piece read
  // as a piece must.
  bool finish() {
    stop();
    if (!started_) return false;
    try {
      static constexpr char kSuffix[] = "</d></w>";
      parser_.feed(kSuffix, sizeof kSuffix - 1, true);
    } catch (...) {
      ok_ = false;
    }
    return ok_ && !thread_.failure() && parser_.status() == ReadStatus::ok && parser_.met_every_piece();
  }
  void stop() noexcept { thread_.stop(); }
  CellGrid::Storage& storage() { return storage_; }
  std::uint64_t spent() const { return parser_.spent(); }
  // True once a piece failed (read while the thread runs).
  bool failed() const { return failed_.load(); }
  // The parser's status, once the thread has ended.
  ReadStatus status() const { return parser_.status(); }

 private:
  // On the helper's thread.
  void read(Piece& piece) noexcept {
    try {
      parser_.expect_piece_at(fed_, &piece.cells);
      parser_.feed(piece.xml.data(), piece.xml.size(), false);
      fed_ += piece.xml.size();
    } catch (...) {
      ok_ = false;
    }
    if (!ok_ || parser_.status() != ReadStatus::ok) failed_.store(true);
    piece.done.store(true);
  }

  CellGrid::Storage storage_;  // the texts of its cells
  WorksheetHandler handler_;
  xml::Parser parser_;
  bool started_ = false;
  std::uint64_t fed_ = 0;
  bool ok_ = true;  // written by the thread's jobs, read after they ended
  std::atomic<bool> failed_{false};
  HelperThread thread_;  // last: it ends before the parser goes
};

class PieceReader {
 public:
  PieceReader(const ReadLimits& limits, xml::MarkupBudget& budget, const StyleFormats& formats, bool date1904,
              CellGrid::Storage& storage, SheetLayout& layout)
      : storage_(storage),
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
    // A parse that failed on either thread ends the reading in pieces.
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

  // What the parsers spent of the budget (the helper stopped first).
  std::uint64_t spent() {
    helper_.stop();
    return parser_.spent() + helper_.spent();
  }
  // over_limit when a parser met a limit (the depth, the markup budget, the
  // arena), which reading the sheet whole would meet as well.
  ReadStatus limit_met() {
    helper_.stop();
    const bool met = parser_.status() == ReadStatus::over_limit || helper_.status() == ReadStatus::over_limit;
    return met ? ReadStatus::over_limit : ReadStatus::ok;
  }

 private:
  enum class Phase { head, pieces, read, failed };

  // Looks for the first row in the head; once found, reads the head and
  // starts the helper. False when the sheet is not to be read in pieces.
  bool find_first_row() {
    const std::size_t first = scanner_.next(head_, scanned_, scanned_);
    if (scanner_.unsure()) return fail();
    if (first == RowStartsScanner::npos) return true;
    if (!declared_utf8(head_)) return fail();
    if (!parser_.feed(head_.data(), first, false)) return fail();
    fed_ = first;
    // The rows must be the sheet's rows, where the sheet's rows are.
    const xml::Name row = parser_.namespaces().resolve(scanner_.row_name().c_str(), false);
    if (!row.is(xml::Ns::main, "row") || !handler_.between_rows()) return fail();
    // Without a second thread the sheet is read whole.
    if (!helper_.start(parser_.namespaces().declarations_in_scope())) return fail();
    current_ = new_piece();
    current_->xml.assign(head_, first);
    std::string().swap(head_);
    scanned_ = 1;
    phase_ = Phase::pieces;
    return true;
  }

  void cut_pieces() {
    for (;;) {
      const std::size_t cut = scanner_.next(current_->xml, scanned_, scanned_, current_->streamed ? 1 : kPieceBytes);
      if (scanner_.unsure()) {
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
      read_here(*taken, false);
    }
    join_finished_pieces();
  }

  void read_here(Piece& piece, bool last) {
    if (!piece.streamed) parser_.expect_piece_at(fed_, &piece.cells);
    feed_here(piece.xml, last);
    piece.done.store(true);
  }

  // The last piece holds the end of the sheet: this parser reads it.
  void read_last_piece() {
    if (phase_ != Phase::pieces) return;
    ++pieces_made_;
    Piece& last = *pieces_.emplace_back(std::move(current_));
    read_here(last, true);
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

  CellGrid::Storage& storage_;
  WorksheetHandler handler_;
  xml::Parser parser_;
  HelperParser helper_;
  RowStartsScanner scanner_;
  Phase phase_ = Phase::head;
  std::string head_;
  std::size_t scanned_ = 0;  // of the head, then of the current piece
  std::uint64_t fed_ = 0;    // bytes fed to this thread's parser
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
