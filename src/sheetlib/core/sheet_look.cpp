#include "sheetlib/core/sheet_look.h"

#include <algorithm>

namespace sheetlib {

void CellStyles::add(std::uint32_t row, std::uint32_t column, std::uint32_t style) {
  add_run(row, column, column, style);
}

void CellStyles::add_run(std::uint32_t row, std::uint32_t first, std::uint32_t last, std::uint32_t style) {
  const bool backwards = in_row_ ? row < current_row_ || (row == current_row_ && !current_.empty() &&
                                                           first <= current_.back().last)
                                 : row < row_patterns_.size();
  if (!loose_.empty() || backwards) {
    // Rare (cells written out of order by hand): kept apart until finish().
    if (style != 0)
      loose_.push_back({row, static_cast<std::uint16_t>(first), static_cast<std::uint16_t>(last), style});
    return;
  }
  if (!in_row_ || row != current_row_) {
    end_row();
    current_row_ = row;
    in_row_ = true;
  }
  if (style == 0) return;
  if (!current_.empty() && current_.back().style == style && current_.back().last + 1u == first) {
    current_.back().last = static_cast<std::uint16_t>(last);
    return;
  }
  current_.push_back({static_cast<std::uint16_t>(first), static_cast<std::uint16_t>(last), style});
}

void CellStyles::end_row() {
  if (!in_row_) return;
  in_row_ = false;
  if (current_.empty()) return;
  // FNV-1a over the row's runs.
  std::uint64_t hash = 14695981039346656037ull;
  for (const Span& span : current_) {
    for (const std::uint32_t part : {std::uint32_t{span.first}, std::uint32_t{span.last}, span.style}) {
      hash = (hash ^ part) * 1099511628211ull;
    }
  }
  const auto same = std::lower_bound(pattern_hashes_.begin(), pattern_hashes_.end(), std::pair{hash, std::uint32_t{0}});
  std::uint32_t pattern = static_cast<std::uint32_t>(patterns_.size());
  for (auto at = same; at != pattern_hashes_.end() && at->first == hash; ++at) {
    const std::size_t begin = patterns_[at->second];
    const std::size_t end = at->second + 1 < patterns_.size() ? patterns_[at->second + 1] : spans_.size();
    if (std::equal(spans_.begin() + static_cast<std::ptrdiff_t>(begin), spans_.begin() + static_cast<std::ptrdiff_t>(end),
                   current_.begin(), current_.end())) {
      pattern = at->second;
      break;
    }
  }
  if (pattern == patterns_.size()) {
    patterns_.push_back(static_cast<std::uint32_t>(spans_.size()));
    spans_.insert(spans_.end(), current_.begin(), current_.end());
    pattern_hashes_.insert(same, {hash, pattern});
  }
  if (row_patterns_.size() <= current_row_) row_patterns_.resize(current_row_ + 1, 0);
  row_patterns_[current_row_] = pattern + 1;
  current_.clear();
}

std::vector<StyleRun> CellStyles::runs() const {
  std::vector<StyleRun> runs;
  for (std::uint32_t row = 0; row < row_patterns_.size(); ++row) {
    const std::uint32_t pattern = row_patterns_[row];
    if (pattern == 0) continue;
    const std::size_t begin = patterns_[pattern - 1];
    const std::size_t end = pattern < patterns_.size() ? patterns_[pattern] : spans_.size();
    for (std::size_t i = begin; i < end; ++i) runs.push_back({row, spans_[i].first, spans_[i].last, spans_[i].style});
  }
  for (const Span& span : current_) runs.push_back({current_row_, span.first, span.last, span.style});
  runs.insert(runs.end(), loose_.begin(), loose_.end());
  return runs;
}

void CellStyles::append(const CellStyles& later) {
  for (std::uint32_t row = 0; row < later.row_patterns_.size(); ++row) {
    const std::uint32_t pattern = later.row_patterns_[row];
    if (pattern == 0) continue;
    const std::size_t end = pattern < later.patterns_.size() ? later.patterns_[pattern] : later.spans_.size();
    for (std::size_t i = later.patterns_[pattern - 1]; i < end; ++i) {
      const Span& span = later.spans_[i];
      add_run(row, span.first, span.last, span.style);
    }
  }
  for (const Span& span : later.current_) add_run(later.current_row_, span.first, span.last, span.style);
  for (const StyleRun& run : later.loose_) add_run(run.row, run.first_column, run.last_column, run.style);
}

void CellStyles::finish() {
  end_row();
  if (loose_.empty()) return;
  // One entry per cell, sorted, the last of a cell given twice kept, and the
  // rows made again.
  struct Entry {
    std::uint32_t row, column, style;
  };
  std::vector<Entry> cells;
  for (const StyleRun& run : runs()) {
    for (std::uint32_t column = run.first_column; column <= run.last_column; ++column)
      cells.push_back({run.row, column, run.style});
  }
  std::stable_sort(cells.begin(), cells.end(), [](const Entry& a, const Entry& b) {
    return a.row < b.row || (a.row == b.row && a.column < b.column);
  });
  *this = CellStyles();
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i + 1 < cells.size() && cells[i + 1].row == cells[i].row && cells[i + 1].column == cells[i].column) continue;
    add(cells[i].row, cells[i].column, cells[i].style);
  }
  end_row();
}

std::uint32_t CellStyles::at(std::uint32_t row, std::uint32_t column) const {
  if (row >= row_patterns_.size() || row_patterns_[row] == 0) return 0;
  const std::uint32_t pattern = row_patterns_[row] - 1;
  const auto begin = spans_.begin() + static_cast<std::ptrdiff_t>(patterns_[pattern]);
  const auto end = pattern + 1 < patterns_.size() ? spans_.begin() + static_cast<std::ptrdiff_t>(patterns_[pattern + 1])
                                                  : spans_.end();
  // The last run that begins at or before the column.
  const auto after =
      std::upper_bound(begin, end, column, [](std::uint32_t wanted, const Span& span) { return wanted < span.first; });
  if (after == begin) return 0;
  const Span& span = *(after - 1);
  return column <= span.last ? span.style : 0;
}

}  // namespace sheetlib
