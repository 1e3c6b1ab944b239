// The workbooks of the split benchmark, and the time of the sheet preview
// beside the library's own reading of the same sheet.
//
//   bench_split_workbooks make FILE ROWS COLUMNS VALUES
//     writes a sheet of ROWS data rows under a heading row; column 1 ("键")
//     holds VALUES distinct values spread over the rows, the others short
//     texts and numbers.
//   bench_split_workbooks make-keys FILE ROWS COLUMNS VALUES
//     the same, with columns 1 and 2 "组" (10 values) and "类" (100 values).
//   bench_split_workbooks preview FILE
//     prints the best of five times of the library's load of the sheet (the
//     read the goal of 8 M cells/s is for), and the best of three of: the
//     library reading every cell (load + string read of each cell), and
//     load_sheet_preview into the in-memory list view.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fixtures/split_workbook.h"
#include "app/memory/memory_controls.h"
#include "load/sheet_preview.h"
#include "xl/library_calls.h"
#include "xl/workbook_provisioning.h"

namespace {

using namespace colsplit;
using Clock = std::chrono::steady_clock;

int make_workbook(const std::string& file, int rows, int columns, int values, bool two_keys = false) {
  return bench::make_split_workbook(file, rows, columns, values, two_keys) ? 0 : 1;
}

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The load alone: the file read into the library's cells.
double library_load(const std::string& file, long long& cells) {
  const auto start = Clock::now();
  const xl::BookHandle book = xl::create_workbook();
  if (xl::xlBookLoadA(book, file) != 1) std::exit(1);
  const xl::SheetHandle sheet = xl::xlBookGetSheetA(book, 0);
  cells = static_cast<long long>(xl::xlSheetLastRowA(sheet)) * xl::xlSheetLastColA(sheet);
  const double seconds = seconds_since(start);
  xl::xlBookReleaseA(book);
  return seconds;
}

double library_read(const std::string& file, long long& cells) {
  const auto start = Clock::now();
  const xl::BookHandle book = xl::create_workbook();
  if (xl::xlBookLoadA(book, file) != 1) std::exit(1);
  const xl::SheetHandle sheet = xl::xlBookGetSheetA(book, 0);
  const int rows = xl::xlSheetLastRowA(sheet);
  const int columns = xl::xlSheetLastColA(sheet);
  std::size_t bytes = 0;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) bytes += xl::xlSheetReadStrA(sheet, row, column, nullptr).size();
  }
  xl::xlBookReleaseA(book);
  cells = static_cast<long long>(rows) * columns;
  if (bytes == 0) std::exit(1);
  return seconds_since(start);
}

double preview(const std::string& file) {
  MemoryListView list;
  MemoryProgressBar progress;
  InlineWorker worker;
  const auto start = Clock::now();
  if (load_sheet_preview(list, progress, worker, file) != 1) std::exit(1);
  return seconds_since(start);
}

int time_preview(const std::string& file) {
  double best_load = 1e9;
  long long loaded = 0;
  for (int round = 0; round < 5; ++round) best_load = std::min(best_load, library_load(file, loaded));
  std::printf("library load         %8.3f s  (%lld cells, %.2f M cells/s; goal at least 8)\n", best_load, loaded,
              static_cast<double>(loaded) / best_load / 1e6);
  double best_read = 1e9;
  double best_preview = 1e9;
  long long cells = 0;
  for (int round = 0; round < 3; ++round) {
    best_read = std::min(best_read, library_read(file, cells));
    best_preview = std::min(best_preview, preview(file));
  }
  std::printf("library read alone   %8.3f s  (%lld cells, %.2f M cells/s)\n", best_read, cells,
              static_cast<double>(cells) / best_read / 1e6);
  std::printf("load_sheet_preview   %8.3f s  (%+.1f %% against the read alone; goal within 15 %%)\n", best_preview,
              (best_preview / best_read - 1.0) * 100.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "make" && argc == 6) {
    return make_workbook(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  }
  if (mode == "make-keys" && argc == 6) {
    return make_workbook(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), true);
  }
  if (mode == "preview" && argc == 3) return time_preview(argv[2]);
  std::fprintf(stderr, "usage: %s make|make-keys FILE ROWS COLUMNS VALUES | preview FILE\n", argv[0]);
  return 2;
}
