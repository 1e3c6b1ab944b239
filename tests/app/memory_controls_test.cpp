#include "app/memory/memory_controls.h"

#include <gtest/gtest.h>

#include "support/gbk_literal.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;

TEST(MemoryProgressBar, ClampsMaximumAndPosition) {
  MemoryProgressBar bar;
  EXPECT_EQ(bar.maximum(), 100);
  bar.set_maximum(-5);
  EXPECT_EQ(bar.maximum(), 0);
  bar.set_maximum(40000);
  EXPECT_EQ(bar.maximum(), ProgressBar::kLargestValue);
  bar.set_maximum(10);
  bar.set_position(11);
  EXPECT_EQ(bar.position(), 10);  // above the maximum: a full bar
  bar.set_position(-1);
  EXPECT_EQ(bar.position(), 0);
  bar.set_position(7);
  bar.set_maximum(3);  // a smaller range pulls the position in
  EXPECT_EQ(bar.position(), 3);
}

TEST(MemoryComboBox, AnswersMinusOneOutsideTheList) {
  MemoryComboBox combo;
  EXPECT_EQ(combo.current_selection(), -1);
  EXPECT_EQ(combo.item_value(0), -1);
  EXPECT_EQ(combo.append_item(gbk(u8"城市"), 0), 0);
  EXPECT_EQ(combo.append_item("B", 7), 1);
  EXPECT_EQ(combo.item_value(1), 7);
  EXPECT_EQ(combo.item_value(-1), -1);
  EXPECT_EQ(combo.item_value(2), -1);

  ASSERT_TRUE(combo.select(0));
  EXPECT_EQ(combo.displayed_text(), gbk(u8"城市"));
  combo.type_text("typed");  // the field need not agree with the selection
  EXPECT_EQ(combo.current_selection(), 0);
  EXPECT_EQ(combo.displayed_text(), "typed");

  combo.remove_all_items();
  EXPECT_EQ(combo.item_count(), 0);
  EXPECT_EQ(combo.current_selection(), -1);
  EXPECT_EQ(combo.displayed_text(), "");
}

TEST(MemoryListView, HeadingsAreCutAt1023BytesOnACharacterBoundary) {
  MemoryListView list;
  const std::string ascii(1500, 'a');
  list.append_column(ascii);
  EXPECT_EQ(list.column_heading(0), std::string(1023, 'a'));

  // 'a' then double-byte characters: byte 1023 would split one.
  std::string chinese = "a";
  while (chinese.size() < 1100) chinese += gbk(u8"表");
  list.append_column(chinese);
  EXPECT_EQ(list.column_heading(1).size(), 1023u);
  list.append_column(chinese.substr(1));
  EXPECT_EQ(list.column_heading(2).size(), 1022u);

  // Four-byte characters: 255 of them after the 'a' take 1021 bytes, a
  // 256th would end at byte 1025.
  std::string emoji = "a";
  while (emoji.size() < 1100) emoji += gbk(u8"😀");
  list.append_column(emoji);
  EXPECT_EQ(list.column_heading(3), emoji.substr(0, 1021));

  EXPECT_EQ(list.column_heading(4), "");
  EXPECT_EQ(list.column_heading(-1), "");
}

TEST(MemoryListView, InsertsRowsAtIndexOrAtTheEnd) {
  MemoryListView list;
  list.append_column("A");
  list.append_column("B");
  EXPECT_EQ(list.insert_row(std::nullopt, "first"), 0);
  EXPECT_EQ(list.insert_row(-3, "last"), 1);
  EXPECT_EQ(list.insert_row(9, "beyond"), 2);
  EXPECT_EQ(list.insert_row(0, "top"), 0);
  EXPECT_EQ(list.row_count(), 4);
  EXPECT_EQ(list.cell_text(0, 0), "top");
  EXPECT_EQ(list.cell_text(1, 0), "first");
  EXPECT_EQ(list.cell_text(3, 0), "beyond");

  EXPECT_TRUE(list.set_cell_text(1, 1, std::string(5000, 'x')));
  EXPECT_EQ(list.cell_text(1, 1).size(), 5000u);  // cells come back whole
  EXPECT_FALSE(list.set_cell_text(4, 0, "no such row"));
  EXPECT_FALSE(list.set_cell_text(0, 2, "no such column"));
  EXPECT_EQ(list.cell_text(9, 9), "");

  list.delete_all_rows();
  EXPECT_EQ(list.row_count(), 0);
  EXPECT_EQ(list.column_count(), 2);
}

TEST(MemoryListView, ColumnsShiftTheirCells) {
  MemoryListView list;
  EXPECT_EQ(list.insert_column(std::nullopt, "A", std::nullopt, ColumnAlignment::left), 0);
  EXPECT_EQ(list.insert_column(-1, "C", -20, ColumnAlignment::right), 1);
  EXPECT_EQ(list.table().column(0)->width, 50);
  EXPECT_EQ(list.table().column(1)->width, 0);
  list.append_row();
  list.set_cell_text(0, 0, "a");
  list.set_cell_text(0, 1, "c");

  EXPECT_EQ(list.insert_column(1, "B", 80, ColumnAlignment::centred), 1);
  EXPECT_EQ(list.column_heading(1), "B");
  EXPECT_EQ(list.cell_text(0, 1), "");
  EXPECT_EQ(list.cell_text(0, 2), "c");

  EXPECT_TRUE(list.delete_column(0));
  EXPECT_EQ(list.column_heading(0), "B");
  EXPECT_EQ(list.cell_text(0, 1), "c");
  EXPECT_FALSE(list.delete_column(2));
  EXPECT_FALSE(list.delete_column(-1));
}

TEST(MemoryListView, ReplacingTheColumnSetEmptiesTheList) {
  MemoryListView list;
  list.append_column("A");
  list.append_column("B");
  list.insert_row(std::nullopt, "x");
  list.replace_column_set({});
  EXPECT_EQ(list.column_count(), 0);
  EXPECT_EQ(list.row_count(), 0);

  list.append_row();
  list.replace_column_set({ColumnDefinition{"N", 30, ColumnAlignment::left}});
  EXPECT_EQ(list.column_count(), 1);
  EXPECT_EQ(list.row_count(), 0);
  EXPECT_EQ(list.column_heading(0), "N");
}

}  // namespace
}  // namespace colsplit
