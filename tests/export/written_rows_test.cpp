// Where source rows land in a written sheet: title and heading rows in place,
// the group's rows after them.
#include "export/written_rows.h"

#include <gtest/gtest.h>

namespace colsplit {
namespace {

TEST(WrittenRows, SpansAndRows) {
  // Heading row 2 (titles 0-1); the group's rows are source rows 4, 5, 9, 12.
  const std::vector<int> source_rows{4, 5, 9, 12};
  const WrittenRows rows(2, source_rows);
  struct Case {
    int first, last;
    std::vector<RowSpan> spans;
  } cases[] = {
      {3, 100, {{3, 6}}},             // every data row
      {0, 100, {{0, 2}, {3, 6}}},     // titles, heading and data
      {1, 1, {{1, 1}}},               // a title row
      {5, 9, {{4, 5}}},               // rows 5 and 9 lie together once written
      {6, 8, {}},                     // none of the group's rows
      {13, 20, {}},                   // past them
      {9, 3, {}},                     // reversed
  };
  for (const Case& c : cases) EXPECT_EQ(rows.spans_of(c.first, c.last), c.spans) << c.first << "-" << c.last;
  EXPECT_EQ(rows.row_of(1), 1);
  EXPECT_EQ(rows.row_of(9), 5);
  EXPECT_EQ(rows.row_of(10), -1);
  EXPECT_EQ(rows.last_row(), 6);
}

}  // namespace
}  // namespace colsplit
