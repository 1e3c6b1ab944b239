#include "load/sheet_preview.h"

#include <optional>

#include "load/sheet_details.h"
#include "xl/kept_sheet.h"
#include "xl/library_calls.h"
#include "xl/owned_book.h"
#include "xl/workbook_provisioning.h"

namespace colsplit {

namespace {

void empty_list(ListView& list) {
  list.delete_all_rows();
  const int columns = list.column_count();
  for (int i = 0; i < columns; ++i) list.delete_column(0);
}

}  // namespace

int load_sheet_preview(ListView& list, ProgressBar& progress, Worker& worker, const Text& file_name,
                       SheetExtents* too_large, const PreviewDetails* details) {
  const int index = details ? details->sheet_index : 0;
  xl::OwnedBook owned(xl::create_workbook());
  const xl::BookHandle book = owned.get();
  // The look is read only for the choice that writes it.
  if (details && details->typed) xl::xlBookSetKeepFormatA(book, 1);
  int loaded = 0;
  worker.run([&] {
    loaded = index == 0 ? xl::xlBookLoadA(book, file_name) : xl::xlBookLoadSheetA(book, file_name, index);
  });
  if (loaded != 1) {
    if (too_large) too_large->refused_because = xl::xlBookErrorMessageA(book);
    return 0;
  }
  const xl::SheetHandle sheet = xl::xlBookGetSheetA(book, index);
  const int rows = xl::xlSheetLastRowA(sheet);
  const int columns = xl::xlSheetLastColA(sheet);
  if (static_cast<long long>(rows) * columns > kMostPreviewCells) {
    if (too_large) *too_large = {rows, columns, {}};
    return 0;
  }
  std::optional<TypedCellReader> typed;
  if (details && details->typed) typed.emplace(book, sheet, details->source->typed_cells);

  // The bar reaches its maximum as the last row starts and stays full.
  progress.set_position(0);
  progress.set_maximum(rows - 1);

  empty_list(list);
  // Sheet row 0 holds the titles; sheet row i is list row i - 1.
  for (int column = 0; column < columns; ++column) {
    list.append_column(xl::xlSheetReadStrA(sheet, 0, column, nullptr));
  }
  for (int row = 1; row < rows; ++row) {
    progress.set_position(bar_position(row, rows - 1));
    const int item = list.append_row();
    for (int column = 0; column < columns; ++column) {
      list.set_cell_text(item, column, xl::xlSheetReadStrA(sheet, row, column, nullptr));
      if (typed) typed->read(row, column);
    }
  }
  if (details) {
    read_sheet_details(book, sheet, columns, details->typed, *details->source);
    if (details->typed) {
      // The list and the typed cells hold the values now: the book is kept
      // for its look alone, and gives the memory of its cells back.
      if (rows > 0 && columns > 0) xl::xlSheetClearA(sheet, 0, rows - 1, 0, columns - 1);
      details->source->look = std::make_shared<const xl::KeptSheet>(std::move(owned), sheet);
    }
  }
  return 1;
}

}  // namespace colsplit
