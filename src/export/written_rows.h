// Where rows of the source sheet land in a written sheet: its title and
// heading rows where they are in the source, then the group's rows one
// after the other. What covers source rows (a validation, a rule, a link,
// a filter, a print area) covers the written rows they became.
#pragma once

#include <vector>

namespace colsplit {

struct RowSpan {
  int first = 0;
  int last = 0;
  bool operator==(const RowSpan&) const = default;
};

class WrittenRows {
 public:
  // Rows 0 … heading_row are written where they are; row heading_row + 1 + i
  // is source row source_rows[i] (ascending).
  WrittenRows(int heading_row, const std::vector<int>& source_rows)
      : heading_row_(heading_row), source_rows_(source_rows) {}

  // The written rows of source rows first … last, as at most two spans:
  // those among the title and heading rows, and the group's rows among
  // them (which lie together, the rows being in sheet order).
  std::vector<RowSpan> spans_of(int first, int last) const;
  // The written row of a source row; -1 when the group has none there.
  int row_of(int source_row) const;
  int last_row() const { return heading_row_ + static_cast<int>(source_rows_.size()); }

 private:
  int heading_row_;
  const std::vector<int>& source_rows_;
};

}  // namespace colsplit
