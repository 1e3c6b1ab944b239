// How long filling the preview list view takes: 100,000 rows of 20 cells,
// as a sheet load fills it (insert row, set the other cells, move the
// progress bar once per row), into the real Win32 list view while the
// window stays painted, and into the in-memory one for comparison.
// Run under Wine with a display: bench_win32_list_view_fill.exe [ROWS]
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/memory/memory_controls.h"
#include "app/win32/app_window.h"

namespace {

using namespace colsplit;

constexpr int kColumns = 20;

double now_ms() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void fill(ListView& list, ProgressBar* bar, int rows) {
  for (int column = 0; column < kColumns; ++column) {
    std::string heading = "column ";
    heading += std::to_string(column);
    list.append_column(heading);
  }
  if (bar) bar->set_maximum(100);
  for (int row = 0; row < rows; ++row) {
    std::string first = "r";
    first += std::to_string(row);
    const int at = list.insert_row(std::nullopt, first);
    for (int column = 1; column < kColumns; ++column) list.set_cell_text(at, column, "cell text");
    if (bar) bar->set_position(static_cast<int>(100LL * (row + 1) / rows));
  }
}

std::size_t read_all(const ListView& list) {
  std::size_t bytes = 0;
  for (int row = 0; row < list.row_count(); ++row) {
    for (int column = 0; column < list.column_count(); ++column) bytes += list.cell_text(row, column).size();
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&classes);

  {
    MemoryListView memory;
    const double start = now_ms();
    fill(memory, nullptr, rows);
    std::printf("in-memory list view:         %d x %d cells in %8.1f ms\n", rows, kColumns, now_ms() - start);
  }

  std::unique_ptr<win32::AppWindow> window = win32::AppWindow::create(GetModuleHandleW(nullptr), {});
  if (!window) return 1;
  window->show();
  MainWindow& view = window->view();

  double start = now_ms();
  window->run_handler([&] { fill(view.超级列表框1, nullptr, rows); });
  std::printf("Win32 list view, no progress: %d x %d cells in %8.1f ms\n", rows, kColumns, now_ms() - start);

  view.超级列表框1.replace_column_set({});
  start = now_ms();
  window->run_handler([&] { fill(view.超级列表框1, &view.进度条1, rows); });
  std::printf("Win32 list view + progress:   %d x %d cells in %8.1f ms (window painted meanwhile)\n", rows, kColumns,
              now_ms() - start);

  // One refresh of the window while a handler runs: the list view learns
  // its new row count and repaints, and pending messages are let through.
  window->run_handler([&] {
    const int refreshes = 10;
    const double begin = now_ms();
    for (int i = 0; i < refreshes; ++i) {
      view.超级列表框1.append_row();
      window->keep_painting();
    }
    std::printf("one refresh while busy:       %8.1f ms\n", (now_ms() - begin) / refreshes);
  });

  start = now_ms();
  const std::size_t bytes = read_all(view.超级列表框1);
  std::printf("reading every cell back:      %zu bytes in %8.1f ms\n", bytes, now_ms() - start);

  start = now_ms();
  view.超级列表框1.replace_column_set({});
  std::printf("replacing the column set:     %8.1f ms\n", now_ms() - start);
  return 0;
}
