// The second reader of a worksheet read in pieces, on a thread of its own:
// it scans the pieces it is given one after another, into cells and a
// storage of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/helper_thread.h"
#include "sheetlib/read/piece.h"

namespace sheetlib {

class PieceHelper {
 public:
  // With `keep_look`, the look of each piece's rows goes to the piece.
  PieceHelper(const ReadLimits& limits, xml::MarkupBudget& budget, const StyleFormats& formats, bool date1904,
              bool keep_look)
      : limits_(limits), budget_(budget), cells_(storage_, formats, date1904) {
    if (keep_look) cells_.keep_look(nullptr);
  }
  ~PieceHelper() { stop(); }
  PieceHelper(const PieceHelper&) = delete;
  PieceHelper& operator=(const PieceHelper&) = delete;

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
  // On the helper's thread: a piece ends between rows. After a failure the
  // pieces are only marked read: the sheet is read whole.
  void read(Piece& piece) noexcept {
    if (!failed_.load()) {
      bool read = false;
      try {
        std::size_t stopped_at = 0;
        read = scan_piece(*scanner_, cells_, piece, stopped_at) == CellScanner::Stop::end_of_text;
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

}  // namespace sheetlib
