// Writing the group workbooks: per group one sheet named after the group
// value, the heading row, the rows of a list view, every cell a bordered
// string; with the user's choices also the title rows above the heading row
// and the source's numbers, dates and booleans typed with their formats.
#pragma once

#include <optional>
#include <vector>

#include "app/controls/controls.h"
#include "xl/library_calls.h"
#include "xl/owned_book.h"

namespace colsplit {

constexpr int kDefaultExportColumnWidth = 19;

// What a sheet holds beyond the heading row and the rows (nothing, unless
// the user chose it).
struct SheetLayout {
  // Title rows written above the heading row, as shown, with the merged
  // ranges that lie among them.
  const SourceSheet* source = nullptr;
  // The source's typed cells written as numbers and booleans with their
  // number formats, and its column widths; source_rows gives the sheet row
  // of every row written.
  bool keep_types = false;
  const std::vector<int>* source_rows = nullptr;
};

// Writes group sheets into one book: the border format (and those with
// number formats) are made once for all of its sheets.
class GroupSheetWriter {
 public:
  explicit GroupSheetWriter(xl::BookHandle book) : book_(book) {}

  // Adds a sheet after the book's others, named `sheet_name` or, when the
  // library refuses it, fallback_sheet_name(sheet_name), numbered when that
  // is taken too; writes the header texts into its heading row and list
  // item k into the row k below it (as many columns as there are header
  // texts), driving the progress bar from 0 to the item count. True when the
  // sheet and every cell went in; a sheet that cannot be created at all is
  // never written into.
  bool write(ListView& rows, ProgressBar& progress, const std::vector<Text>& headers, const Text& sheet_name,
             int column_width, const SheetLayout& layout = {});

 private:
  xl::FormatHandle border();
  xl::FormatHandle typed_format(const TypedCells& cells, std::size_t index);
  bool write_title_rows(xl::SheetHandle sheet, const SourceSheet& source, int columns);
  bool write_row(xl::SheetHandle sheet, int row, ListView& rows, int item, int columns, const SheetLayout& layout);
  void set_widths(xl::SheetHandle sheet, int columns, int column_width, const SheetLayout& layout);

  xl::BookHandle book_;
  xl::FormatHandle border_ = nullptr;
  bool has_border_ = false;
  std::vector<std::optional<xl::FormatHandle>> typed_formats_;  // by the source's format index
};

// The names the sheets of one workbook get for these values, in order, as
// GroupSheetWriter gives them (empty where no sheet could be made).
std::vector<Text> group_sheet_names(const std::vector<Text>& values);

// One group's workbook, made and filled on the handler's thread, then saved
// on the worker; the save may run while the next group's workbook is
// filled. The workbook is released with the object.
class GroupWorkbook {
 public:
  // From this many cells on, the save runs beside the caller's next work.
  static constexpr long long kCellsSavedBeside = 4096;

  // A workbook of one sheet (GroupSheetWriter::write).
  GroupWorkbook(ListView& rows, ProgressBar& progress, const std::vector<Text>& headers, const Text& sheet_name,
                std::optional<int> column_width, const SheetLayout& layout = {});
  // A workbook whose sheets the caller adds through writer().
  GroupWorkbook();
  ~GroupWorkbook();
  GroupWorkbook(const GroupWorkbook&) = delete;
  GroupWorkbook& operator=(const GroupWorkbook&) = delete;

  GroupSheetWriter& writer() { return writer_; }
  // Adds one sheet through writer(); false makes the workbook incomplete.
  void add_sheet(ListView& rows, ProgressBar& progress, const std::vector<Text>& headers, const Text& sheet_name,
                 int column_width, const SheetLayout& layout);

  // True when every sheet and every cell went in. A workbook the library
  // refused a cell of is never saved: it would lack that cell without a word.
  bool complete() const { return complete_; }
  // The cells of its sheets, the heading and title rows included.
  long long cell_count() const { return cells_; }

  // Saves to `path` on the calling thread; true when it succeeded. Only a
  // complete workbook is saved.
  bool save(const Text& path);

  // Starts the save to `path` on the worker (worker.start); the caller may
  // go on meanwhile with anything but this workbook. A workbook of fewer
  // than kCellsSavedBeside cells is saved before this returns (worker.run).
  // Only a complete workbook is saved.
  void start_saving(Worker& worker, const Text& path);
  // True while a started save may still run beside the caller.
  bool saving_beside() const { return saving_on_ != nullptr; }
  // Waits for the save (worker.finish); true when it succeeded.
  bool finish_saving();

 private:
  xl::OwnedBook book_;
  GroupSheetWriter writer_;  // writes into book_
  long long cells_ = 0;
  bool complete_ = false;
  bool saved_ = false;
  Worker* saving_on_ = nullptr;
  Text path_;
};

}  // namespace colsplit
