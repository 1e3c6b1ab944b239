#include "load/sheet_preview.h"

#include "xl/library_calls.h"
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
                       SheetExtents* too_large) {
  const xl::BookHandle book = xl::create_workbook();
  int loaded = 0;
  worker.run([&] { loaded = xl::xlBookLoadA(book, file_name); });
  if (loaded != 1) {
    xl::xlBookReleaseA(book);
    return 0;
  }
  const xl::SheetHandle sheet = xl::xlBookGetSheetA(book, 0);
  const int rows = xl::xlSheetLastRowA(sheet);
  const int columns = xl::xlSheetLastColA(sheet);
  if (static_cast<long long>(rows) * columns > kMostPreviewCells) {
    if (too_large) *too_large = {rows, columns};
    xl::xlBookReleaseA(book);
    return 0;
  }

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
    }
  }
  xl::xlBookReleaseA(book);
  return 1;
}

}  // namespace colsplit
