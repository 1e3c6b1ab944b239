// The rows and columns that a list view holds. The Win32 list view is a
// virtual list view that hands these texts out on demand, and the in-memory
// list view is this table alone, so both behave the same.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "app/controls/controls.h"

namespace colsplit {

class CellTable {
 public:
  int row_count() const { return static_cast<int>(rows_.size()); }
  int column_count() const { return static_cast<int>(columns_.size()); }

  const ColumnDefinition* column(int column) const;
  // The cell's text; empty for a cell never set or outside the table.
  std::string_view cell(int row, int column) const;
  bool set_cell(int row, int column, const Text& text);

  int insert_row(std::optional<int> index, const Text& first_cell);
  void delete_all_rows();
  int insert_column(std::optional<int> index, ColumnDefinition definition);
  bool delete_column(int column);
  void replace_columns(const std::vector<ColumnDefinition>& columns);

 private:
  using Row = std::vector<Text>;
  std::vector<ColumnDefinition> columns_;
  std::vector<Row> rows_;
};

// The rules shared by both list views for the optional arguments.
int normalise_column_width(std::optional<int> width);

}  // namespace colsplit
