// The list views' cell store: every text comes back whole, wherever it lies
// in the paged arena, through row and column changes and overwrites; and the
// arena itself, which the library's reader uses too.
#include "app/controls/cell_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

#include "text/text_arena.h"

namespace colsplit {
namespace {

// Formatted with snprintf: MinGW's GCC 12 warns falsely on string sums.
std::string text_of(int row, int column) {
  char text[32];
  std::snprintf(text, sizeof text, "r%dc%d", row, column);
  return text;
}

TEST(TextArena, TextsAtPageEndsAndOverAPageComeBackWhole) {
  TextArena arena;
  const std::string almost_a_page((1u << 20) - 3, 'a');
  const std::uint32_t first = arena.append(almost_a_page);
  const std::uint32_t across = arena.append("0123456789");  // does not fit the page's last 3 bytes
  const std::string big((3u << 20) + 5, 'b');
  const std::uint32_t large = arena.append(big);
  const std::uint32_t after = arena.append("tail");
  EXPECT_EQ(arena.text(first, static_cast<std::uint32_t>(almost_a_page.size())), almost_a_page);
  EXPECT_EQ(arena.text(across, 10), "0123456789");
  EXPECT_EQ(arena.text(large, static_cast<std::uint32_t>(big.size())), big);
  EXPECT_EQ(arena.text(after, 4), "tail");
  EXPECT_EQ(arena.text(12345, 0), "");
  EXPECT_TRUE(arena.fits(1000));
  EXPECT_FALSE(arena.fits(std::numeric_limits<std::uint32_t>::max()));
}

TEST(TextArena, AdoptedTextsKeepTheirPlacesFromTheBaseOn) {
  TextArena mine;
  const std::uint32_t own = mine.append("own text");
  TextArena other;
  const std::string big((2u << 20) + 7, 'b');
  const std::uint32_t small = other.append("adopted");
  const std::uint32_t large = other.append(big);
  std::uint32_t base = 0;
  ASSERT_TRUE(mine.adopt(other, base));
  EXPECT_EQ(base, 1u << 20);  // the next page after the arena's own texts
  EXPECT_EQ(mine.text(own, 8), "own text");
  EXPECT_EQ(mine.text(base + small, 7), "adopted");
  EXPECT_EQ(mine.text(base + large, static_cast<std::uint32_t>(big.size())), big);
  EXPECT_EQ(other.size(), 0u);
  // Appending goes on after the adopted texts.
  const std::uint32_t later = mine.append("later");
  EXPECT_GE(later, base + large + big.size());
  EXPECT_EQ(mine.text(later, 5), "later");
  EXPECT_EQ(mine.text(base + small, 7), "adopted");
  // An empty arena adopts into an empty one at 0.
  TextArena empty, filled;
  const std::uint32_t at = filled.append("x");
  ASSERT_TRUE(empty.adopt(filled, base));
  EXPECT_EQ(base, 0u);
  EXPECT_EQ(empty.text(base + at, 1), "x");
}

// A reset keeps the first page: what comes after must not see what was there.
TEST(TextArena, ResetKeepsThePageAndTextsAfterItComeBackWhole) {
  TextArena arena;
  arena.append("first life");
  arena.reset();
  const std::uint32_t again = arena.append("second");
  EXPECT_EQ(again, 0u);
  EXPECT_EQ(arena.text(again, 6), "second");
  const std::string most((1u << 20) - 10, 'm');
  const std::uint32_t filler = arena.append(most);
  const std::uint32_t next = arena.append("on the next page");
  EXPECT_EQ(next, 1u << 20);
  EXPECT_EQ(arena.text(filler, static_cast<std::uint32_t>(most.size())), most);
  EXPECT_EQ(arena.text(next, 16), "on the next page");
  // Adopted texts go after the kept page, even while it holds nothing.
  arena.reset();
  TextArena other;
  const std::uint32_t at = other.append("adopted");
  std::uint32_t base = 0;
  ASSERT_TRUE(arena.adopt(other, base));
  EXPECT_EQ(arena.text(base + at, 7), "adopted");
  EXPECT_EQ(arena.text(arena.append("mine"), 4), "mine");
  EXPECT_EQ(arena.text(base + at, 7), "adopted");
  // A first block of several pages is not kept.
  TextArena big;
  big.append(std::string((2u << 20) + 1, 'b'));
  big.reset();
  EXPECT_EQ(big.size(), 0u);
  EXPECT_EQ(big.text(big.append("small"), 5), "small");
}

TEST(PagedArray, ElementsSurviveGrowthAcrossPages) {
  PagedArray<int, 4> array;  // pages of 16
  for (int i = 0; i < 100; ++i) array.push_back(i * 3);
  EXPECT_EQ(array.size(), 100u);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(array[static_cast<std::size_t>(i)], i * 3);
  array.grow_to(120);
  EXPECT_EQ(array[119], 0);  // new elements start empty
  array.clear();
  EXPECT_TRUE(array.empty());
  // After a reset the kept page's elements start empty again.
  for (int i = 0; i < 40; ++i) array.push_back(i + 1);
  array.reset();
  EXPECT_TRUE(array.empty());
  array.grow_to(20);
  for (std::size_t i = 0; i < 20; ++i) ASSERT_EQ(array[i], 0) << i;
}

TEST(CellTable, ManyRowsInsertedAnywhereKeepTheirCells) {
  CellTable table;
  for (const char* heading : {"A", "B", "C"}) table.insert_column(std::nullopt, ColumnDefinition{heading});
  constexpr int kRows = 3000;
  // Appended rows, then every tenth one inserted at the top instead.
  std::vector<int> order;
  for (int id = 0; id < kRows; ++id) {
    const int at = table.insert_row(id % 10 == 0 ? std::optional<int>(0) : std::nullopt, text_of(id, 0));
    order.insert(order.begin() + at, id);
    for (int column = 1; column < 3; ++column) ASSERT_TRUE(table.set_cell(at, column, text_of(id, column)));
  }
  ASSERT_EQ(table.row_count(), kRows);
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < 3; ++column) {
      ASSERT_EQ(table.cell(row, column), text_of(order[static_cast<std::size_t>(row)], column)) << row;
    }
  }
  EXPECT_EQ(table.cell(0, 3), "");
  EXPECT_EQ(table.cell(kRows, 0), "");
}

TEST(CellTable, OverwritesOfAnyLengthAndTheirSpace) {
  CellTable table;
  table.insert_column(std::nullopt, ColumnDefinition{"A"});
  table.insert_column(std::nullopt, ColumnDefinition{"B"});
  table.insert_row(std::nullopt, "a long first text");
  table.set_cell(0, 1, "neighbour");
  ASSERT_TRUE(table.set_cell(0, 0, "short"));
  EXPECT_EQ(table.cell(0, 0), "short");
  ASSERT_TRUE(table.set_cell(0, 0, "a text longer than all before it"));
  EXPECT_EQ(table.cell(0, 0), "a text longer than all before it");
  ASSERT_TRUE(table.set_cell(0, 0, ""));
  EXPECT_EQ(table.cell(0, 0), "");
  EXPECT_EQ(table.cell(0, 1), "neighbour");

  // Growing one cell again and again: the space it leaves behind is given
  // back before it outweighs the texts in use.
  std::string grown;
  for (int i = 0; i < 3000; ++i) {
    grown += "0123456789";
    ASSERT_TRUE(table.set_cell(0, 0, grown));
  }
  EXPECT_EQ(table.cell(0, 0), grown);
  EXPECT_EQ(table.cell(0, 1), "neighbour");
  EXPECT_LT(table.unused_text_bytes(), std::size_t{40} << 20);
}

TEST(CellTable, ColumnChangesMoveTheCellsOfEveryRow) {
  CellTable table;
  // A row inserted before any column keeps its text as its first cell.
  table.insert_row(std::nullopt, "item");
  EXPECT_EQ(table.cell(0, 0), "item");
  table.insert_column(std::nullopt, ColumnDefinition{"A"});
  EXPECT_EQ(table.cell(0, 0), "item");
  table.insert_column(std::nullopt, ColumnDefinition{"C"});
  table.set_cell(0, 1, "c");
  for (int row = 1; row < 100; ++row) {
    table.insert_row(std::nullopt, text_of(row, 0));
    table.set_cell(row, 1, text_of(row, 2));
  }
  table.insert_column(1, ColumnDefinition{"B"});
  EXPECT_EQ(table.column(1)->heading, "B");
  for (int row = 1; row < 100; ++row) {
    ASSERT_EQ(table.cell(row, 0), text_of(row, 0));
    ASSERT_EQ(table.cell(row, 1), "");
    ASSERT_EQ(table.cell(row, 2), text_of(row, 2));
  }
  ASSERT_TRUE(table.delete_column(0));
  EXPECT_EQ(table.cell(0, 1), "c");
  EXPECT_EQ(table.cell(99, 1), text_of(99, 2));
  ASSERT_TRUE(table.delete_column(1));
  ASSERT_TRUE(table.delete_column(0));
  EXPECT_EQ(table.column_count(), 0);
  EXPECT_EQ(table.row_count(), 100);
  EXPECT_EQ(table.cell(5, 0), "");
}

// Moving the heading row down deletes the rows above it and retitles the
// columns: the remaining rows keep their cells, the freed texts stop counting.
TEST(CellTable, DeletedRowsLeaveTheOthersWholeAndHeadingsChange) {
  CellTable table;
  for (int column = 0; column < 3; ++column) table.insert_column(std::nullopt, {"h", 50, ColumnAlignment::left});
  for (int row = 0; row < 10; ++row) {
    table.insert_row(std::nullopt, "");
    for (int column = 0; column < 3; ++column) table.set_cell(row, column, text_of(row, column));
  }
  table.delete_rows(0, 4);
  table.delete_rows(5, 100);  // past the end: only those that exist
  table.delete_rows(-3, 0);
  ASSERT_EQ(table.row_count(), 5);
  for (int row = 0; row < 5; ++row) {
    for (int column = 0; column < 3; ++column) EXPECT_EQ(table.cell(row, column), text_of(row + 4, column));
  }
  // A row added afterwards takes a place of its own.
  EXPECT_EQ(table.insert_row(std::nullopt, "x"), 5);
  EXPECT_EQ(table.cell(5, 0), "x");
  EXPECT_EQ(table.cell(4, 0), text_of(8, 0));
  table.delete_rows(5, 1);
  EXPECT_TRUE(table.set_column_heading(2, "new"));
  EXPECT_FALSE(table.set_column_heading(3, "none"));
  EXPECT_EQ(table.column_heading(2), "new");
  table.delete_rows(0, 5);
  EXPECT_EQ(table.row_count(), 0);
  EXPECT_EQ(table.insert_row(std::nullopt, "again"), 0);
  EXPECT_EQ(table.cell(0, 0), "again");
  EXPECT_EQ(table.cell(0, 1), "");
}

}  // namespace
}  // namespace colsplit
