#include "export/group_workbook.h"

#include "export/fallback_sheet_name.h"
#include "xl/workbook_provisioning.h"

namespace colsplit {

namespace {

constexpr int kThinBorder = 1;
constexpr int kAllIgnoredErrors = 255;

xl::SheetHandle insert_named_sheet(xl::BookHandle book, const Text& name) {
  const int index = xl::xlBookSheetCountA(book);
  xl::SheetHandle sheet = xl::xlBookInsertSheetA(book, index, name, nullptr);
  if (!sheet) sheet = xl::xlBookInsertSheetA(book, index, fallback_sheet_name(name), nullptr);
  return sheet;
}

}  // namespace

GroupWorkbook::GroupWorkbook(ListView& rows, ProgressBar& progress, const std::vector<Text>& headers,
                             const Text& sheet_name, std::optional<int> column_width)
    : book_(xl::create_workbook()) {
  const int width = column_width.value_or(kDefaultExportColumnWidth);
  const int row_count = rows.row_count();
  const int columns = static_cast<int>(headers.size());
  cells_ = (static_cast<long long>(row_count) + 1) * columns;

  const xl::SheetHandle sheet = insert_named_sheet(book_, sheet_name);
  if (!sheet) return;
  const xl::FormatHandle border = xl::xlBookAddFormatA(book_, nullptr);
  xl::xlFormatSetBorderA(border, kThinBorder);
  bool all_written = true;
  for (int column = 0; column < columns; ++column) {
    all_written &= xl::xlSheetWriteStrA(sheet, 0, column, headers[static_cast<std::size_t>(column)], border) == 1;
  }
  progress.set_position(0);
  progress.set_maximum(row_count);
  for (int item = 0; item < row_count; ++item) {
    for (int column = 0; column < columns; ++column) {
      all_written &= xl::xlSheetWriteStrA(sheet, item + 1, column, rows.cell_text(item, column), border) == 1;
    }
    progress.set_position(bar_position(item + 1, row_count));
  }
  // One row and two columns beyond the cells, so that the whole area the
  // user sees around the data shows no "number stored as text" marks.
  xl::xlSheetAddIgnoredErrorA(sheet, 0, 0, row_count + 1, columns + 1, kAllIgnoredErrors);
  xl::xlSheetSetColA(sheet, 0, columns, static_cast<double>(width), nullptr, 0);
  complete_ = all_written;
}

GroupWorkbook::~GroupWorkbook() {
  // The save must be over before the workbook goes.
  finish_saving();
  xl::xlBookReleaseA(book_);
}

void GroupWorkbook::start_saving(Worker& worker, const Text& path) {
  if (!complete_) return;
  path_ = path;
  const auto save = [this] { saved_ = xl::xlBookSaveA(book_, path_) == 1; };
  // Handing a small workbook to another thread and back costs more than
  // saving it beside the next one gains: it saves before this returns.
  if (cells_ < kCellsSavedBeside) return worker.run(save);
  saving_on_ = &worker;
  worker.start(save);
}

bool GroupWorkbook::finish_saving() {
  if (saving_on_) saving_on_->finish();
  saving_on_ = nullptr;
  return saved_;
}

}  // namespace colsplit
