// Cuts a worksheet's XML, as it is inflated, into pieces that begin with a
// row start tag (found by RowStartsScanner): first the head, up to the
// first row, then pieces of about 256 KiB each.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "sheetlib/read/markup_lexing.h"
#include "sheetlib/read/piece.h"
#include "sheetlib/read/row_starts_scanner.h"

namespace sheetlib {

class PieceCutter {
 public:
  explicit PieceCutter(SparePieces& spares) : spares_(spares) {}

  // Before the first row: takes the next bytes of the head, and sets
  // `first` to where the first row begins (npos while none was found).
  // False when the sheet cannot be cut: the row starts cannot be trusted,
  // it is not UTF-8, or its first row lies too far in.
  bool take_head(const char* data, std::size_t size, std::size_t& first) {
    head_.append(data, size);
    first = row_starts_.next(head_, scanned_, scanned_);
    if (row_starts_.unsure()) return false;
    if (first == RowStartsScanner::npos) return head_.size() <= kMostHeadBytes;
    // The cuts are looked for in UTF-8 bytes.
    return markup::declares_utf8_or_nothing(head_);
  }
  std::string_view head() const { return head_; }
  // The rows' qualified name, once the first was found.
  const std::string& row_name() const { return row_starts_.row_name(); }
  // The first piece begins at the first row; the head goes.
  void begin_pieces(std::size_t first) {
    current_ = spares_.take();
    current_->xml.assign(head_, first);
    std::string().swap(head_);
    scanned_ = 1;
  }

  // The next bytes of the piece being cut.
  void append(const char* data, std::size_t size) { current_->xml.append(data, size); }
  // The piece ended by the next cut, or null when there is none yet; the
  // piece being cut begins at that cut. See also unsure().
  std::unique_ptr<Piece> cut() {
    const std::size_t at = row_starts_.next(current_->xml, scanned_, scanned_, current_->streamed ? 1 : kPieceBytes);
    if (at == RowStartsScanner::npos) return nullptr;
    std::unique_ptr<Piece> next = spares_.take();
    next->xml.assign(current_->xml, at);
    current_->xml.resize(at);
    scanned_ = 1;
    std::swap(current_, next);
    return next;
  }
  // True once the bytes held something the cuts cannot be trusted after.
  bool unsure() const { return row_starts_.unsure(); }
  Piece& current() { return *current_; }
  // True when the piece being cut grew past twice a piece's size without a
  // row to cut at (long rows, or markup that is no row): it is to be read
  // as its bytes come, and cut at the first row it holds.
  bool must_stream() const { return !current_->streamed && current_->xml.size() > 2 * kPieceBytes; }
  // Of a piece read as it comes: the bytes scanned, which hold no row
  // start; drop_scanned() once they are read.
  std::string_view scanned() const { return std::string_view(current_->xml).substr(0, scanned_); }
  void drop_scanned() {
    current_->xml.erase(0, scanned_);
    scanned_ = 0;
  }
  // The last piece, once the bytes end.
  std::unique_ptr<Piece> take_last() { return std::move(current_); }

 private:
  // A piece is cut at the first row that starts this far into it.
  static constexpr std::size_t kPieceBytes = 256 * 1024;
  // A sheet whose first row is not in its first 8 MiB is read whole.
  static constexpr std::size_t kMostHeadBytes = 8 * 1024 * 1024;

  SparePieces& spares_;
  RowStartsScanner row_starts_;
  std::string head_;
  std::unique_ptr<Piece> current_;
  std::size_t scanned_ = 0;  // of the head, then of the piece being cut
};

}  // namespace sheetlib
