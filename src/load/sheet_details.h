// Reading what a sheet holds beyond the texts the list shows: the values of
// its typed cells, its workbook's sheet names, its merged ranges and column
// widths. Only a choice of the user's asks for them; a plain drop reads the
// texts alone.
#pragma once

#include <map>
#include <vector>

#include "app/controls/controls.h"
#include "xl/library_calls.h"

namespace colsplit {

// Takes the numbers, dates and booleans of a loaded sheet into `cells`, one
// cell at a time as the preview reads it (errors stay the texts they show).
class TypedCellReader {
 public:
  TypedCellReader(xl::BookHandle book, xl::SheetHandle sheet, TypedCells& cells);
  void read(int row, int column);

 private:
  std::size_t format_index(xl::FormatHandle format);
  static constexpr std::size_t kNoIndex = SIZE_MAX;

  xl::BookHandle book_;
  xl::SheetHandle sheet_;
  TypedCells& cells_;
  std::map<xl::FormatHandle, std::size_t> formats_;  // a book has a few dozen
  std::vector<std::pair<xl::FormatHandle, std::size_t>> last_formats_;  // by column: the last format and its index
};

// Puts the loaded book's sheet names and the sheet's merged ranges and
// column widths (`columns` of them) into `source`, and marks it detailed
// (and typed, when its typed cells were read).
void read_sheet_details(xl::BookHandle book, xl::SheetHandle sheet, int columns, bool typed, SourceSheet& source);

// The names of the workbook's worksheets, in tab order (the library reads
// the file on the worker); empty when the file cannot be read.
std::vector<Text> read_sheet_names(Worker& worker, const Text& file_name);

}  // namespace colsplit
