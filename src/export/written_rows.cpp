#include "export/written_rows.h"

#include <algorithm>

namespace colsplit {

std::vector<RowSpan> WrittenRows::spans_of(int first, int last) const {
  std::vector<RowSpan> spans;
  if (first > last) return spans;
  if (first <= heading_row_) spans.push_back({first, std::min(last, heading_row_)});
  const auto begin = std::lower_bound(source_rows_.begin(), source_rows_.end(), std::max(first, heading_row_ + 1));
  const auto end = std::upper_bound(begin, source_rows_.end(), last);
  if (begin != end) {
    const int offset = heading_row_ + 1;
    spans.push_back({offset + static_cast<int>(begin - source_rows_.begin()),
                     offset + static_cast<int>(end - source_rows_.begin()) - 1});
  }
  return spans;
}

int WrittenRows::row_of(int source_row) const {
  if (source_row <= heading_row_) return source_row;
  const auto at = std::lower_bound(source_rows_.begin(), source_rows_.end(), source_row);
  if (at == source_rows_.end() || *at != source_row) return -1;
  return heading_row_ + 1 + static_cast<int>(at - source_rows_.begin());
}

}  // namespace colsplit
