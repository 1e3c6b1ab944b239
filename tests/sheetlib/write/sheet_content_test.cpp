#include "sheetlib/write/sheet_content.h"

#include <gtest/gtest.h>

#include "support/gbk_literal.h"

namespace sheetlib {
namespace {

TEST(SharedStrings, EachDistinctTextOnceInUtf8) {
  SharedStrings strings;
  const std::string beijing = colsplit::testing::gbk(u8"北京");
  EXPECT_EQ(strings.intern("a"), 0u);
  EXPECT_EQ(strings.intern(beijing), 1u);
  EXPECT_EQ(strings.intern("a"), 0u);
  EXPECT_EQ(strings.intern(beijing), 1u);
  ASSERT_EQ(strings.size(), 2u);
  EXPECT_EQ(strings.utf8(1), "\xE5\x8C\x97\xE4\xBA\xAC");
  EXPECT_EQ(strings.gbk(1), beijing);
}

TEST(SharedStrings, KeysSurviveGrowth) {
  // The index is rebuilt and the texts fill block after block, one longer
  // than any block among them: every text stays where its index says.
  SharedStrings strings;
  const std::string long_text((3 << 20) + 1, 'L');
  for (int i = 0; i < 50000; ++i) {
    strings.intern(std::to_string(i));
    if (i == 20000) {
      EXPECT_EQ(strings.intern(long_text), 20001u);
    }
  }
  for (int i = 0; i < 50000; ++i) {
    const auto index = static_cast<std::uint32_t>(i <= 20000 ? i : i + 1);
    ASSERT_EQ(strings.intern(std::to_string(i)), index);
    ASSERT_EQ(strings.gbk(index), std::to_string(i));
  }
  EXPECT_EQ(strings.gbk(20001), long_text);
  EXPECT_EQ(strings.intern(long_text), 20001u);
  EXPECT_EQ(strings.size(), 50001u);
}

TEST(SheetContent, CellsComeOutInRowOrderWithTheLastWriteKept) {
  SheetContent sheet;
  sheet.set_cell(2, 0, 5, 1);
  sheet.set_cell(0, 3, 6, 1);
  sheet.set_cell(0, 1, 7, 1);
  sheet.set_cell(2, 0, 8, 0);  // replaces the first write
  sheet.set_cell(0, 1, 9, 1);  // replaces the third
  const auto& cells = sheet.cells();
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0].column, 1u);
  EXPECT_EQ(cells[0].value, 9u);
  EXPECT_EQ(cells[1].column, 3u);
  EXPECT_EQ(cells[2].row, 2u);
  EXPECT_EQ(cells[2].value, 8u);
  EXPECT_EQ(cells[2].style(), 0u);
  ASSERT_NE(sheet.find(0, 3), nullptr);
  EXPECT_EQ(sheet.find(0, 3)->value, 6u);
  EXPECT_EQ(sheet.find(1, 0), nullptr);
}

TEST(SheetContent, RewritingTheLastCellInOrderReplacesIt) {
  SheetContent sheet;
  sheet.set_cell(0, 0, 1, 0);
  sheet.set_cell(0, 0, 2, 0);
  ASSERT_EQ(sheet.cells().size(), 1u);
  EXPECT_EQ(sheet.cells()[0].value, 2u);
}

// Every pair of kinds, the second write replacing the first: with the cell
// the last one written (replaced in place), and with a later cell written
// between (replaced when the cells are put in order).
TEST(SheetContent, AWriteReplacesTheCellWhateverEitherHolds) {
  static_assert(sizeof(CellEntry) == 16);
  struct Write {
    EntryKind kind;
    double value;  // the string index, the number, or 1 / 0
    std::uint32_t style;
  };
  const Write writes[] = {
      {EntryKind::string, 4, 1},           {EntryKind::string, kNoString, 63'999},
      {EntryKind::number, -2.5, 2},        {EntryKind::number, 1e308, 0},
      {EntryKind::boolean, 1, 63'999},     {EntryKind::boolean, 0, 3},
  };
  const auto put = [](SheetContent& sheet, std::uint32_t row, std::uint32_t column, const Write& write) {
    switch (write.kind) {
      case EntryKind::string: sheet.set_cell(row, column, static_cast<std::uint32_t>(write.value), write.style); break;
      case EntryKind::number: sheet.set_number(row, column, write.value, write.style); break;
      case EntryKind::boolean: sheet.set_boolean(row, column, write.value != 0, write.style); break;
    }
  };
  for (const Write& first : writes) {
    for (const Write& second : writes) {
      for (const bool later_cell_between : {false, true}) {
        SCOPED_TRACE(testing::Message() << first.value << " then " << second.value << " " << later_cell_between);
        SheetContent sheet;
        sheet.set_number(0, 0, 7, 0);
        put(sheet, 1, 1, first);
        if (later_cell_between) sheet.set_boolean(5, 0, true, 0);
        put(sheet, 1, 1, second);
        ASSERT_EQ(sheet.cells().size(), later_cell_between ? 3u : 2u);
        const CellEntry* cell = sheet.find(1, 1);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->kind(), second.kind);
        EXPECT_EQ(cell->style(), second.style);
        EXPECT_EQ(cell->is_blank(), second.kind == EntryKind::string && second.value == kNoString);
        if (second.kind == EntryKind::number) {
          EXPECT_EQ(sheet.number(*cell), second.value);
        } else {
          EXPECT_EQ(cell->value, static_cast<std::uint32_t>(second.value));
        }
        EXPECT_EQ(sheet.number(*sheet.find(0, 0)), 7);
        EXPECT_EQ(sheet.value_extent().rows, later_cell_between ? 6u : cell->is_blank() ? 1u : 2u);
      }
    }
  }
}

TEST(SheetContent, ValueExtentIgnoresCellsWithoutValue) {
  SheetContent sheet;
  EXPECT_EQ(sheet.value_extent().rows, 0u);
  sheet.set_cell(1, 1, 0, 1);
  sheet.set_cell(4, 6, kNoString, 1);
  EXPECT_EQ(sheet.value_extent().rows, 2u);
  EXPECT_EQ(sheet.value_extent().columns, 2u);
  EXPECT_EQ(sheet.cell_extent().rows, 5u);
  EXPECT_EQ(sheet.cell_extent().columns, 7u);
}

TEST(SheetContent, ColumnSettingsSplitTheRunsTheyOverlap) {
  SheetContent sheet;
  sheet.set_columns({0, 9, 20, 0, false});
  sheet.set_columns({3, 4, 8, 1, true});
  sheet.set_columns({9, 12, 30, 0, false});
  const std::vector<ColumnRun> expected{
      {0, 2, 20, 0, false}, {3, 4, 8, 1, true}, {5, 8, 20, 0, false}, {9, 12, 30, 0, false}};
  EXPECT_EQ(sheet.columns(), expected);
  sheet.set_columns({0, 20, 5, 0, false});
  EXPECT_EQ(sheet.columns(), (std::vector<ColumnRun>{{0, 20, 5, 0, false}}));
}

}  // namespace
}  // namespace sheetlib
