// Joins the cells of a worksheet's pieces, read on either thread and
// finished in any order, into the grid in the sheet's order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "sheetlib/core/cell_storage.h"
#include "sheetlib/read/piece.h"

namespace sheetlib {

class PieceJoiner {
 public:
  // What the pieces say of the look goes to `look` when one is given.
  PieceJoiner(CellGrid::Storage& storage, SparePieces& spares, RowsLook* look)
      : storage_(storage), spares_(spares), look_(look) {}

  // The next piece of the sheet, to be joined once it is done.
  Piece& add(std::unique_ptr<Piece> piece) { return *pieces_.emplace_back(std::move(piece)); }

  // Joins the pieces done so far, up to the first that is not; each then
  // serves again as a spare.
  void join_done() {
    while (!pieces_.empty() && pieces_.front()->done.load()) {
      Piece& piece = *pieces_.front();
      const std::size_t first = storage_.cells.size();
      for (const PlacedCell& cell : piece.cells) storage_.add_cell(cell.row, cell.column, cell.offset, cell.length);
      if (piece.by_helper) helper_ranges_.emplace_back(first, storage_.cells.size());
      if (look_) look_->append(piece.look);
      spares_.keep(std::move(pieces_.front()));
      pieces_.pop_front();
    }
  }

  // Once every piece is joined: the texts of the helper's cells move from
  // `helper`'s arena to the grid's, and its cells point there. False when
  // the arena would grow past its limit.
  bool adopt(CellGrid::Storage& helper) {
    std::uint32_t base = 0;
    if (!storage_.arena.adopt(helper.arena, base)) return false;
    for (const auto& [first, end] : helper_ranges_) {
      for (std::size_t i = first; i < end; ++i) {
        CellRecord& cell = storage_.cells[i];
        if (!cell.awaits_shared_string()) cell.offset += base;
      }
    }
    return true;
  }

 private:
  CellGrid::Storage& storage_;
  SparePieces& spares_;
  RowsLook* look_;
  std::deque<std::unique_ptr<Piece>> pieces_;  // not yet joined, in order
  // The helper's cells among the grid's (their texts move with its arena).
  std::vector<std::pair<std::size_t, std::size_t>> helper_ranges_;
};

}  // namespace sheetlib
