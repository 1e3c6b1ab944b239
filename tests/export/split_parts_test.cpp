#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/memory/memory_controls.h"
#include "export/csv_file.h"
#include "export/split_parts.h"
#include "support/gbk_literal.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// Rows whose joined values would collide ("ab"+"c", "a"+"bc"), a blank, a
// slash that no name holds, a character beyond GBK.
MemoryListView grid() {
  MemoryListView list;
  for (const char* heading : {"A", "B", "C"}) list.append_column(heading);
  const std::vector<std::vector<Text>> rows = {
      {"ab", "c", "x"}, {"a", "bc", "x"}, {"ab", "c", "y"}, {"", "c", "x"}, {"a/b", gbk(u8"\U00020000"), "x"},
  };
  for (const std::vector<Text>& row : rows) {
    const int item = list.append_row();
    for (std::size_t column = 0; column < row.size(); ++column) {
      list.set_cell_text(item, static_cast<int>(column), row[column]);
    }
  }
  return list;
}

struct PartCase {
  std::vector<int> columns;
  // value, name piece, sheet name, rows of each part
  std::vector<std::tuple<Text, Text, Text, std::vector<int>>> parts;
};

TEST(SplitPartsTest, OnePartPerCombinationInOrderOfFirstAppearance) {
  const Text beyond = gbk(u8"\U00020000");
  const PartCase cases[] = {
      {{0}, {{"ab", "ab", "ab", {0, 2}}, {"a", "a", "a", {1}}, {"", "", "", {3}}, {"a/b", "a_b", "a/b", {4}}}},
      {{0, 1},
       {{"ab\tc", "ab_c", "ab_c", {0, 2}},
        {"a\tbc", "a_bc", "a_bc", {1}},
        {"\tc", "_c", "_c", {3}},
        {"a/b\t" + beyond, "a_b_" + beyond, "a/b_" + beyond, {4}}}},
      {{2, 1, 0},
       {{"x\tc\tab", "x_c_ab", "x_c_ab", {0}},
        {"x\tbc\ta", "x_bc_a", "x_bc_a", {1}},
        {"y\tc\tab", "y_c_ab", "y_c_ab", {2}},
        {"x\tc\t", "x_c_", "x_c_", {3}},
        {"x\t" + beyond + "\ta/b", "x_" + beyond + "_a_b", "x_" + beyond + "_a/b", {4}}}},
  };
  const MemoryListView list = grid();
  for (const PartCase& c : cases) {
    std::vector<std::tuple<Text, Text, Text, std::vector<int>>> got;
    for (const SplitPart& part : parts_by_columns(list, c.columns)) {
      got.emplace_back(part.value, part.name_piece, part.sheet_name, part.rows);
    }
    EXPECT_THAT(got, ElementsAreArray(c.parts)) << c.columns.size() << " columns";
  }
}

TEST(SplitPartsTest, FurtherColumnsLeaveOutTheChosenRepeatedAndStaleOnes) {
  const struct {
    int chosen;
    std::vector<int> also_by;
    std::vector<int> columns;
  } cases[] = {
      {2, {}, {2}},
      {2, {0, 2, 0, -1, 9, 1}, {2, 0, 1}},
      {0, {1, 2, 3, 4, 5}, {0, 1, 2, 3}},  // at most three beyond the chosen one
  };
  for (const auto& c : cases) EXPECT_EQ(split_columns(c.chosen, c.also_by, 6), c.columns);
}

TEST(CsvFileTest, QuotesWhatNeedsItAndWritesUtf8) {
  const MemoryListView list = grid();
  MemoryProgressBar progress;
  const CsvFile file(list, {4, 1}, {gbk(u8"城市"), "a,b", "q\"q"}, {{gbk(u8"标题")}, {"x\ry", "a\nb", "c", "past"}},
                     progress);
  EXPECT_EQ(file.bytes(),
            "\xEF\xBB\xBF"
            "\xE6\xA0\x87\xE9\xA2\x98,,\r\n"
            "\"x\ry\",\"a\nb\",c\r\n"
            "\xE5\x9F\x8E\xE5\xB8\x82,\"a,b\",\"q\"\"q\"\r\n"
            "a/b,\xF0\xA0\x80\x80,x\r\n"
            "a,bc,x\r\n");
  EXPECT_EQ(file.cell_count(), 15);  // five lines of three
  EXPECT_EQ(progress.position(), 2);
}

}  // namespace
}  // namespace colsplit
