// A piece of a worksheet read in pieces (see worksheet_pieces.h): its XML,
// cut at a row, and the cells read from it; and the spare pieces that
// serve again once theirs were joined.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "sheetlib/read/cell_scanner.h"
#include "sheetlib/read/worksheet_part.h"

namespace sheetlib {

struct Piece {
  std::string xml;  // not yet read
  PieceCells cells;
  RowsLook look;  // when the look is kept
  bool by_helper = false;
  // Read here by expat as its bytes come (see PieceCutter::must_stream).
  bool streamed = false;
  std::atomic<bool> done{false};
};

// Reads the rows of a piece with a cell scanner, from its first row, which
// must say which row it is (see CellScanner::scan). Cells go to the piece,
// texts to the storage of `cells`.
inline CellScanner::Stop scan_piece(CellScanner& scanner, SheetCells& cells, Piece& piece, std::size_t& stopped_at) {
  cells.send_to(&piece.cells, &piece.look);
  scanner.expect_numbered_row();
  return scanner.scan(piece.xml, stopped_at);
}

// Joined pieces kept with their buffers: the next pieces need no memory of
// their own, and none is left scattered between the threads' heaps.
class SparePieces {
 public:
  std::unique_ptr<Piece> take() {
    if (spare_.empty()) return std::make_unique<Piece>();
    std::unique_ptr<Piece> piece = std::move(spare_.back());
    spare_.pop_back();
    piece->xml.clear();
    piece->cells.clear();
    piece->look = {};
    piece->by_helper = false;
    piece->streamed = false;
    piece->done.store(false);
    return piece;
  }
  void keep(std::unique_ptr<Piece> piece) {
    if (spare_.size() < kMostSpare) spare_.push_back(std::move(piece));
  }

 private:
  static constexpr std::size_t kMostSpare = 2;
  std::vector<std::unique_ptr<Piece>> spare_;
};

}  // namespace sheetlib
