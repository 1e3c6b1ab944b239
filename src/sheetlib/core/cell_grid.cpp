#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/sheet_look.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace sheetlib {

CellGrid::CellGrid() : storage_(std::make_unique<Storage>()) {}
CellGrid::~CellGrid() = default;
CellGrid::CellGrid(CellGrid&&) noexcept = default;
CellGrid& CellGrid::operator=(CellGrid&&) noexcept = default;

void CellGrid::want_look() {
  if (!look_) look_ = std::make_unique<Look>();
}

void CellGrid::drop_cells() { storage_ = std::make_unique<Storage>(); }

CellGrid::Storage& CellGrid::storage() { return *storage_; }
const CellGrid::Storage& CellGrid::storage() const { return *storage_; }

int CellGrid::row_extent() const { return storage_ ? storage_->row_extent : 0; }
int CellGrid::column_extent() const { return storage_ ? storage_->column_extent : 0; }

std::string_view CellGrid::text(int row, int column) const {
  const CellRecord* cell = storage_ ? storage_->find(row, column) : nullptr;
  if (!cell) return {};
  return storage_->text_of(*cell);
}

namespace {

std::uint32_t length_code(std::uint32_t length) {
  if (length == CellGrid::Storage::kSharedStringCell) return CellRecord::kSharedString;
  if (length == CellGrid::Storage::kFormattedStringCell) return CellRecord::kFormattedString;
  length &= ~CellGrid::Storage::kTypedCell;
  return length < CellRecord::kLongText ? length : CellRecord::kLongText;
}

// The number a typed cell's text stands for where it can: the digits of a
// number (NaN when the text is no plain number), 1 or 0 for TRUE or FALSE,
// 0 for an error.
double number_of_text(CellKind kind, std::string_view text) {
  switch (kind) {
    case CellKind::boolean:
      return text == "TRUE" ? 1 : text == "FALSE" ? 0 : std::nan("");
    case CellKind::error:
      return 0;
    default: {
      double number = 0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
      if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nan("");
      return number;
    }
  }
}

bool is_typed(std::uint32_t length) {
  return length < CellGrid::Storage::kFormattedStringCell && (length & CellGrid::Storage::kTypedCell) != 0;
}

}  // namespace

std::string_view CellGrid::Storage::text_of(const CellRecord& cell) const {
  const std::uint32_t code = cell.length_code();
  if (code != CellRecord::kLongText) return arena.text(cell.offset, code);
  std::uint32_t length = 0;
  std::memcpy(&length, arena.text(cell.offset, sizeof length).data(), sizeof length);
  return arena.text(cell.offset + static_cast<std::uint32_t>(sizeof length), length);
}

CellValue CellGrid::Storage::value_of(const CellRecord& cell) const {
  if (!cell.typed()) return {CellKind::text, 0, 0};
  const std::string_view text = text_of(cell);
  // The value lies right after the text, in the same page.
  const char* at = text.data() != nullptr ? text.data() + text.size()
                                          : arena.text(cell.offset, kMostTypedValueBytes).data();
  std::uint8_t kind = 0;
  std::memcpy(&kind, at, 1);
  CellValue value;
  value.kind = static_cast<CellKind>(kind & ~(kNumberIsText | kWideStyle));
  if (kind & kWideStyle) {
    std::memcpy(&value.style, at + 1, 4);
    at += 5;
  } else {
    std::uint16_t style = 0;
    std::memcpy(&style, at + 1, 2);
    value.style = style;
    at += 3;
  }
  if (kind & kNumberIsText) {
    value.number = number_of_text(value.kind, text);
  } else {
    std::memcpy(&value.number, at, 8);
  }
  return value;
}

void CellGrid::Storage::place_shared_string(CellRecord& cell, std::uint32_t offset, std::uint32_t length) {
  cell = CellRecord(cell.column(), offset, length_code(length), false);
}

CellValue CellGrid::value(int row, int column) const {
  const CellRecord* cell = storage_ ? storage_->find(row, column) : nullptr;
  if (!cell) return {};
  return storage_->value_of(*cell);
}

bool CellGrid::has_value(int row, int column) const { return storage_ && storage_->find(row, column) != nullptr; }

bool CellGrid::Storage::append_text(std::string_view text, std::uint32_t& offset) {
  if (text.size() < CellRecord::kLongText) {
    if (!arena.fits(text.size())) return false;
    offset = arena.append(text);
    return true;
  }
  // Rare: the length goes first, in the arena's own byte order.
  const auto length = static_cast<std::uint32_t>(text.size());
  if (text.size() >= kTypedCell - sizeof length || !arena.fits(sizeof length + text.size())) return false;
  std::string prefixed(sizeof length, '\0');
  std::memcpy(prefixed.data(), &length, sizeof length);
  prefixed.append(text);
  offset = arena.append(prefixed);
  return true;
}

bool CellGrid::Storage::append_typed_text(std::string_view text, const CellValue& value, std::uint32_t& offset,
                                          std::uint32_t& length) {
  // Text and value go in as one piece, so that they share a page. A long
  // text keeps its length in front, as append_text places it. Numbers show
  // as short texts: their piece is made on the stack.
  const bool long_text = text.size() >= CellRecord::kLongText;
  if (long_text && text.size() >= kTypedCell - 64) return false;
  auto kind = static_cast<std::uint8_t>(value.kind);
  const bool wide_style = value.style > UINT16_MAX;
  if (wide_style) kind |= kWideStyle;
  // The number is left out when the text gives it back exactly (its sign
  // and bits too).
  const double from_text = number_of_text(value.kind, text);
  if (std::memcmp(&from_text, &value.number, sizeof from_text) == 0) kind |= kNumberIsText;
  const std::size_t value_bytes = 1 + (wide_style ? 4 : 2) + ((kind & kNumberIsText) ? 0 : 8);
  const std::size_t size = (long_text ? 4 : 0) + text.size() + value_bytes;
  char small[128];
  std::string large;
  char* piece = small;
  if (size > sizeof small) {
    large.resize(size);
    piece = large.data();
  }
  char* at = piece;
  if (long_text) {
    const auto text_length = static_cast<std::uint32_t>(text.size());
    std::memcpy(at, &text_length, 4);
    at += 4;
  }
  if (!text.empty()) std::memcpy(at, text.data(), text.size());
  at += text.size();
  *at++ = static_cast<char>(kind);
  if (wide_style) {
    std::memcpy(at, &value.style, 4);
    at += 4;
  } else {
    const auto style = static_cast<std::uint16_t>(value.style);
    std::memcpy(at, &style, 2);
    at += 2;
  }
  if (!(kind & kNumberIsText)) std::memcpy(at, &value.number, 8);
  if (!arena.fits(size)) return false;
  offset = arena.append(std::string_view(piece, size));
  length = static_cast<std::uint32_t>(text.size()) | kTypedCell;
  return true;
}

void CellGrid::Storage::add_cell(std::uint32_t row, std::uint32_t column, std::uint32_t offset,
                                 std::uint32_t length) {
  column_extent = std::max(column_extent, static_cast<int>(column) + 1);
  if (in_order) {
    if (cells.empty() || row > last_row || (row == last_row && column > last_column)) {
      // Rows up to this one, those without cells included, start here.
      while (row_starts.size() <= row) row_starts.push_back(static_cast<std::uint32_t>(cells.size()));
      cells.push_back(CellRecord(column, offset, length_code(length), is_typed(length)));
      last_row = row;
      last_column = column;
      return;
    }
    note_rows_so_far();
  }
  rows_out_of_order.push_back(row);
  cells.push_back(CellRecord(column, offset, length_code(length), is_typed(length)));
}

void CellGrid::Storage::note_rows_so_far() {
  rows_out_of_order.grow_to(cells.size());
  for (std::size_t row = 0; row < row_starts.size(); ++row) {
    const std::size_t end = row + 1 < row_starts.size() ? row_starts[row + 1] : cells.size();
    for (std::size_t i = row_starts[row]; i < end; ++i) rows_out_of_order[i] = static_cast<std::uint32_t>(row);
  }
  in_order = false;
}

void CellGrid::Storage::sort_cells() {
  // Rare (cells written out of order by hand): sorted in one block.
  std::vector<std::uint32_t> order(cells.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const std::uint32_t row_a = rows_out_of_order[a], row_b = rows_out_of_order[b];
    return row_a < row_b || (row_a == row_b && cells[a].column() < cells[b].column());
  });
  std::vector<CellRecord> sorted;
  std::vector<std::uint32_t> rows;
  sorted.reserve(order.size());
  rows.reserve(order.size());
  for (const std::uint32_t i : order) {
    // Of a cell given twice, the later one is what the sheet holds.
    if (!sorted.empty() && rows.back() == rows_out_of_order[i] && sorted.back().column() == cells[i].column())
      sorted.back() = cells[i];
    else {
      sorted.push_back(cells[i]);
      rows.push_back(rows_out_of_order[i]);
    }
  }
  cells.clear();
  rows_out_of_order.clear();
  row_starts.clear();
  cells.grow_to(sorted.size());
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    while (row_starts.size() <= rows[i]) row_starts.push_back(static_cast<std::uint32_t>(i));
    cells[i] = sorted[i];
  }
  last_row = rows.empty() ? 0 : rows.back();
  in_order = true;
}

void CellGrid::Storage::finish() {
  if (!in_order) sort_cells();
  row_extent = cells.empty() ? 0 : static_cast<int>(last_row) + 1;
  row_starts.resize(static_cast<std::size_t>(row_extent));
  row_starts.push_back(static_cast<std::uint32_t>(cells.size()));
  row_starts.shrink_to_fit();
}

void CellGrid::Storage::forget_cells() {
  cells.clear();
  row_starts.clear();
  rows_out_of_order.clear();
  row_extent = 0;
  column_extent = 0;
  in_order = true;
  last_row = 0;
  last_column = 0;
}

const CellRecord* CellGrid::Storage::find(int row, int column) const {
  if (row < 0 || column < 0 || row >= row_extent || column >= column_extent) return nullptr;
  // The row's cells are in column order: a binary search among them.
  std::size_t first = row_starts[static_cast<std::size_t>(row)];
  std::size_t last = row_starts[static_cast<std::size_t>(row) + 1];
  const auto wanted = static_cast<std::uint32_t>(column);
  while (first < last) {
    const std::size_t middle = first + (last - first) / 2;
    if (cells[middle].column() < wanted)
      first = middle + 1;
    else
      last = middle;
  }
  if (first == row_starts[static_cast<std::size_t>(row) + 1] || cells[first].column() != wanted) return nullptr;
  return &cells[first];
}

}  // namespace sheetlib
