// Writing the group workbooks: per group one sheet named after the group
// value, the heading row, the rows of a list view, every cell a bordered
// string; with the user's choices also the title rows above the heading row
// and the source's numbers, dates and booleans typed with their formats.
#pragma once

#include <optional>
#include <unordered_map>
#include <vector>

#include "app/controls/controls.h"
#include "export/filled_file.h"
#include "xl/library_calls.h"
#include "xl/owned_book.h"

namespace colsplit {

// The width of every written column, in characters, where the source's own
// widths are not kept.
constexpr int kExportColumnWidth = 20;

// What a group sheet takes from the source beyond the heading row and the
// rows (nothing, unless the user chose it).
struct GroupSheetExtras {
  // Title rows written above the heading row, as shown, with the merged
  // ranges that lie among them.
  const SourceSheet* source = nullptr;
  // The source's typed cells written as numbers and booleans with their
  // number formats, and its column widths; source_rows gives the sheet row
  // of every row written, in sheet order. With the source's look kept
  // (source->look), every cell takes its source cell's format, and the
  // sheet the source's rows, hidden columns, view, filter, validations,
  // conditional formats, links and print setup, re-ranged to the rows
  // written.
  bool keep_format = false;
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
             const GroupSheetExtras& extras = {});

 private:
  xl::FormatHandle border();
  xl::FormatHandle typed_format(const TypedCells& cells, std::size_t index);
  // The format of source cell (row, column) copied into the book, once per
  // source format; `otherwise` when the source's look is not kept.
  xl::FormatHandle source_format(const GroupSheetExtras& extras, int row, int column, xl::FormatHandle otherwise);
  bool write_title_rows(xl::SheetHandle sheet, const GroupSheetExtras& extras, int columns);
  bool write_row(xl::SheetHandle sheet, int row, ListView& rows, int item, int columns,
                 const GroupSheetExtras& extras);
  void set_widths(xl::SheetHandle sheet, int columns, const GroupSheetExtras& extras);
  void copy_look(xl::SheetHandle sheet, int titles, int row_count, int columns, const GroupSheetExtras& extras);

  xl::BookHandle book_;
  xl::FormatHandle border_ = nullptr;
  bool has_border_ = false;
  std::vector<std::optional<xl::FormatHandle>> typed_formats_;  // by the source's format index
  std::unordered_map<xl::FormatHandle, xl::FormatHandle> source_formats_;  // the source's, and the book's copy
  std::vector<std::pair<xl::FormatHandle, xl::FormatHandle>> last_formats_;  // by column: the last one asked for
};

// The names the sheets of one workbook get for these values, in order, as
// GroupSheetWriter gives them (empty where no sheet could be made).
std::vector<Text> group_sheet_names(const std::vector<Text>& values);

// A filled workbook: one group's sheet, or a sheet per group, made and
// filled on the handler's thread. WorkbookSaver decides where it is saved.
// The workbook is released with the object.
class GroupWorkbook final : public FilledFile {
 public:
  // A workbook of one sheet (GroupSheetWriter::write).
  GroupWorkbook(ListView& rows, ProgressBar& progress, const std::vector<Text>& headers, const Text& sheet_name,
                const GroupSheetExtras& extras = {});
  // A workbook whose sheets the caller adds through add_sheet().
  GroupWorkbook();
  GroupWorkbook(const GroupWorkbook&) = delete;
  GroupWorkbook& operator=(const GroupWorkbook&) = delete;

  // Adds one sheet (GroupSheetWriter::write); false makes the workbook incomplete.
  void add_sheet(ListView& rows, ProgressBar& progress, const std::vector<Text>& headers, const Text& sheet_name,
                 const GroupSheetExtras& extras);

  // True when every sheet and every cell went in. A workbook the library
  // refused a cell of is never saved: it would lack that cell without a word.
  bool complete() const override { return complete_; }
  // The cells of its sheets, the heading and title rows included.
  long long cell_count() const override { return cells_; }

  // Saves to `path` on the calling thread; true when it succeeded. Only a
  // complete workbook is saved.
  bool save(const Text& path) override;

 private:
  xl::OwnedBook book_;
  GroupSheetWriter writer_;  // writes into book_
  long long cells_ = 0;
  bool complete_ = true;
};

}  // namespace colsplit
