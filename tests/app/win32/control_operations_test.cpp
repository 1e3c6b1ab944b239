// The Win32 controls against the in-memory ones: the same operations give
// the same answers, and the windows show what the operations say.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>

#include "app/memory/memory_controls.h"
#include "app/runtime_error/runtime_error_report.h"
#include "app/win32/win32_worker.h"
#include "text/formatted_text.h"
#include "text/encoding.h"
#include "text/texts.h"
#include "support/gbk_literal.h"
#include "window_fixture.h"

namespace colsplit::win32 {
namespace {

using ::colsplit::testing::gbk;

// Runs one sequence of list view operations and writes down every answer.
std::vector<std::string> exercise(ListView& list) {
  std::vector<std::string> log;
  auto note = [&](auto value) { log.push_back(std::to_string(value)); };
  note(list.insert_column(std::nullopt, gbk(u8"城市"), std::nullopt, ColumnAlignment::left));
  note(list.insert_column(-1, std::string(1030, 'h'), -4, ColumnAlignment::right));
  note(list.insert_column(1, "mid", 80, ColumnAlignment::centred));
  note(list.insert_column(17, "end", 20, ColumnAlignment::left));
  note(list.insert_row(std::nullopt, gbk(u8"北京")));
  note(list.insert_row(-2, "second"));
  note(list.insert_row(0, ""));
  note(list.insert_row(99, "last"));
  note(list.set_cell_text(1, 2, std::string(3000, 'z')));
  note(list.set_cell_text(4, 0, "no row"));
  note(list.set_cell_text(0, 4, "no column"));
  note(list.set_cell_text(-1, 0, "negative"));
  note(list.delete_column(1));
  note(list.delete_column(3));
  note(list.row_count());
  note(list.column_count());
  for (int column = -1; column <= list.column_count(); ++column) log.push_back(list.column_heading(column));
  for (int row = -1; row <= list.row_count(); ++row) {
    for (int column = -1; column <= list.column_count(); ++column) log.push_back(list.cell_text(row, column));
  }
  list.delete_all_rows();
  note(list.row_count());
  note(list.column_count());
  return log;
}

using ControlOperationsTest = WindowFixture;

TEST_F(ControlOperationsTest, ListViewAnswersAsTheInMemoryOne) {
  MemoryListView memory;
  EXPECT_EQ(exercise(window->view().超级列表框1), exercise(memory));
}

TEST_F(ControlOperationsTest, ListViewShowsItsTable) {
  ListView& list = window->view().超级列表框1;
  const HWND control = window->control(ControlName::超级列表框1);
  list.append_column(gbk(u8"城市"));
  list.insert_column(std::nullopt, "B", 70, ColumnAlignment::right);
  for (int row = 0; row < 3; ++row) list.insert_row(std::nullopt, gbk(u8"北京") + std::to_string(row));
  list.set_cell_text(2, 1, gbk(u8"淺乗"));
  window->sync_controls();

  EXPECT_EQ(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0), 3);
  wchar_t buffer[256] = {};
  LVITEMW item{};
  item.iSubItem = 1;
  item.pszText = buffer;
  item.cchTextMax = 256;
  SendMessageW(control, LVM_GETITEMTEXTW, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(buffer, L"淺乗");
  item.iSubItem = 0;
  SendMessageW(control, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(buffer, L"北京0");
  // Characters outside GBK reach the screen, those above U+FFFF as
  // surrogate pairs.
  list.set_cell_text(1, 0, gbk(u8"王䶮 𠮷 한국어 😀"));
  window->sync_controls();
  SendMessageW(control, LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(buffer, L"王䶮 \xD842\xDFB7 한국어 \xD83D\xDE00");

  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.pszText = buffer;
  column.cchTextMax = 256;
  ASSERT_TRUE(SendMessageW(control, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
  EXPECT_STREQ(buffer, L"B");
  EXPECT_EQ(column.cx, 70);
  EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);

  // Replacing the column set leaves nothing, on screen too.
  list.replace_column_set({});
  EXPECT_EQ(list.column_count(), 0);
  EXPECT_EQ(list.row_count(), 0);
  EXPECT_EQ(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0), 0);
  const HWND header = reinterpret_cast<HWND>(SendMessageW(control, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 0);

  list.replace_column_set({ColumnDefinition{"X", 40, ColumnAlignment::left}, ColumnDefinition{"Y", 30, ColumnAlignment::left}});
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(list.column_heading(1), "Y");
}

// Counts the row-count messages a list view receives.
LRESULT CALLBACK count_item_count_messages(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                           DWORD_PTR data) {
  if (message == LVM_SETITEMCOUNT) ++*reinterpret_cast<int*>(data);
  return DefSubclassProc(window, message, wparam, lparam);
}

TEST_F(ControlOperationsTest, FillingAListViewSendsNoMessagePerRow) {
  const HWND control = window->control(ControlName::超级列表框1);
  int item_count_messages = 0;
  SetWindowSubclass(control, count_item_count_messages, 1, reinterpret_cast<DWORD_PTR>(&item_count_messages));
  window->run_handler([&] {
    ListView& list = window->view().超级列表框1;
    list.append_column("A");
    list.append_column("B");
    for (int row = 0; row < 5000; ++row) {
      list.append_row();
      list.set_cell_text(row, 0, "a");
      list.set_cell_text(row, 1, "b");
    }
  });
  RemoveWindowSubclass(control, count_item_count_messages, 1);
  EXPECT_LE(item_count_messages, 2);
  EXPECT_EQ(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0), 5000);
}

TEST_F(ControlOperationsTest, ComboBoxAnswersAsTheInMemoryOne) {
  ComboBox& combo = window->view().组合框1;
  MemoryComboBox memory;
  for (ComboBox* box : {static_cast<ComboBox*>(&combo), static_cast<ComboBox*>(&memory)}) {
    SCOPED_TRACE(box == &combo ? "win32" : "memory");
    EXPECT_EQ(box->current_selection(), -1);
    EXPECT_EQ(box->item_value(0), -1);
    EXPECT_EQ(box->append_item(gbk(u8"城市"), 0), 0);
    EXPECT_EQ(box->append_item("B", 1), 1);
    EXPECT_EQ(box->append_item("A", 2), 2);  // unsorted: stays last
    EXPECT_EQ(box->item_count(), 3);
    EXPECT_EQ(box->item_value(2), 2);
    EXPECT_EQ(box->item_value(3), -1);
    EXPECT_EQ(box->item_value(-1), -1);
  }

  const HWND control = window->control(ControlName::组合框1);
  SendMessageW(control, CB_SETCURSEL, 0, 0);
  EXPECT_EQ(combo.current_selection(), 0);
  EXPECT_EQ(combo.displayed_text(), gbk(u8"城市"));
  SetWindowTextW(control, L"typed 文字");
  EXPECT_EQ(combo.displayed_text(), gbk(u8"typed 文字"));

  combo.remove_all_items();
  EXPECT_EQ(combo.item_count(), 0);
  EXPECT_EQ(combo.current_selection(), -1);
  EXPECT_EQ(combo.displayed_text(), "");
}

TEST_F(ControlOperationsTest, EditBoxesTakeAnyText) {
  EditBox& folder = window->view().编辑框1;
  EXPECT_EQ(folder.text(), "");
  const std::string long_text(70000, 'p');  // no text limit
  folder.set_text(long_text);
  EXPECT_EQ(folder.text(), long_text);
  folder.set_text(gbk(u8"Z:\\数据\\淺乗"));
  EXPECT_EQ(folder.text(), gbk(u8"Z:\\数据\\淺乗"));
  folder.set_text(gbk(u8"Z:\\𠮷野家\\한국어 🇨🇳 ß"));
  EXPECT_EQ(folder.text(), gbk(u8"Z:\\𠮷野家\\한국어 🇨🇳 ß"));
  wchar_t shown[64] = {};
  GetWindowTextW(window->control(ControlName::编辑框1), shown, 64);
  EXPECT_STREQ(shown, L"Z:\\\xD842\xDFB7野家\\한국어 \xD83C\xDDE8\xD83C\xDDF3 ß");
  EXPECT_EQ(window->view().编辑框2.text(), texts::kTipText);
}

TEST_F(ControlOperationsTest, ProgressBarClampsAsTheInMemoryOne) {
  ProgressBar& bar = window->view().进度条1;
  MemoryProgressBar memory;
  const HWND control = window->control(ControlName::进度条1);
  const int steps[][2] = {{-5, 3}, {40000, 40000}, {10, 11}, {10, -1}, {50, 20}, {5, 5}};
  for (const auto& step : steps) {
    bar.set_maximum(step[0]);
    bar.set_position(step[1]);
    memory.set_maximum(step[0]);
    memory.set_position(step[1]);
    EXPECT_EQ(bar.maximum(), memory.maximum());
    EXPECT_EQ(bar.position(), memory.position());
    EXPECT_EQ(SendMessageW(control, PBM_GETRANGE, FALSE, 0), bar.maximum());
    EXPECT_EQ(SendMessageW(control, PBM_GETPOS, 0, 0), bar.position());
  }
}

// ---- While a handler runs ----

struct Observed {
  int timer_ticks = 0;
  int keys = 0;
  int clicks = 0;
  int app_messages = 0;
};
Observed observed;

void CALLBACK count_tick(HWND, UINT, UINT_PTR, DWORD) { ++observed.timer_ticks; }

LRESULT CALLBACK observe(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  if (message == WM_KEYDOWN) ++observed.keys;
  if (message == WM_LBUTTONDOWN) ++observed.clicks;
  if (message == WM_APP) ++observed.app_messages;
  return DefSubclassProc(window, message, wparam, lparam);
}

TEST_F(ControlOperationsTest, LongHandlerKeepsPaintingButTakesNoInput) {
  observed = Observed{};
  const HWND edit = window->control(ControlName::编辑框1);
  SetWindowSubclass(edit, observe, 1, 0);
  window->show();
  bool nested_ran = false;
  window->run_handler([&] {
    EXPECT_TRUE(window->busy());
    EXPECT_FALSE(IsWindowEnabled(window->handle()));
    const UINT_PTR timer = SetTimer(nullptr, 0, 5, count_tick);
    PostMessageW(edit, WM_KEYDOWN, 'A', 0);
    PostMessageW(edit, WM_LBUTTONDOWN, 0, 0);
    PostMessageW(edit, WM_APP, 0, 0);
    window->run_handler([&] { nested_ran = true; });  // another event meanwhile: not run
    ProgressBar& bar = window->view().进度条1;
    bar.set_maximum(100);
    const DWORD start = GetTickCount();
    for (int i = 0; GetTickCount() - start < 300; ++i) bar.set_position(i % 101);
    KillTimer(nullptr, timer);
  });
  RemoveWindowSubclass(edit, observe, 1);
  EXPECT_FALSE(nested_ran);
  EXPECT_GT(observed.timer_ticks, 0);
  EXPECT_EQ(observed.app_messages, 1);
  EXPECT_EQ(observed.keys, 0);
  EXPECT_EQ(observed.clicks, 0);
  EXPECT_FALSE(window->busy());
  EXPECT_TRUE(IsWindowEnabled(window->handle()));
  // The input is gone, not left for later.
  MSG message{};
  EXPECT_FALSE(PeekMessageW(&message, edit, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
  EXPECT_FALSE(PeekMessageW(&message, edit, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE));
}

TEST_F(ControlOperationsTest, WorkerStepRunsApartWhileTheWindowPaints) {
  observed = Observed{};
  const HWND edit = window->control(ControlName::编辑框1);
  SetWindowSubclass(edit, observe, 1, 0);
  window->show();
  Worker& worker = window->view().worker;
  DWORD step_thread = 0;
  // Outside a handler the step runs right here.
  worker.run([&] { step_thread = GetCurrentThreadId(); });
  EXPECT_EQ(step_thread, GetCurrentThreadId());

  window->run_handler([&] {
    const UINT_PTR timer = SetTimer(nullptr, 0, 5, count_tick);
    // A step that blocks for 300 ms, as a library load does: the timer and
    // the posted message still get through, the input does not.
    worker.run([&] {
      step_thread = GetCurrentThreadId();
      PostMessageW(edit, WM_KEYDOWN, 'A', 0);
      PostMessageW(edit, WM_APP, 0, 0);
      Sleep(300);
    });
    KillTimer(nullptr, timer);
  });
  RemoveWindowSubclass(edit, observe, 1);
  EXPECT_NE(step_thread, GetCurrentThreadId());
  EXPECT_GT(observed.timer_ticks, 0);
  EXPECT_EQ(observed.app_messages, 1);
  EXPECT_EQ(observed.keys, 0);
}

// The reports of the death tests below name the thread they are shown on.
DWORD g_window_thread = 0;
void report_naming_its_thread(const Text& report) {
  std::fprintf(stderr, "%s thread\n", GetCurrentThreadId() == g_window_thread ? "window" : "other");
  std::fwrite(report.data(), 1, report.size(), stderr);
  std::fflush(stderr);
}

using WorkerDeathTest = WindowFixture;

// A step is told to fail as a binding does; the report waits for the step's
// thread to end and is shown on the window's thread; the handler never
// goes on.
TEST_F(WorkerDeathTest, FatalErrorOfAStepIsReportedOnTheWindowsThread) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Text report = format_runtime_error(kErrorStackUnbalanced, texts::kStackUnbalanced, 1, 2);
  EXPECT_EXIT(
      {
        g_window_thread = GetCurrentThreadId();
        set_runtime_error_sink(report_naming_its_thread);
        window->run_handler([&] {
          window->view().worker.run([] { raise_runtime_error(kErrorStackUnbalanced, texts::kStackUnbalanced, 1, 2); });
          std::fputs("handler went on\n", stderr);
        });
      },
      ::testing::ExitedWithCode(-1),
      ::testing::AllOf(::testing::HasSubstr("window thread\n" + report),
                       ::testing::Not(::testing::HasSubstr("handler went on"))));
}

TEST_F(WorkerDeathTest, ExceptionOfAStepIsReportedOnTheWindowsThread) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        g_window_thread = GetCurrentThreadId();
        set_runtime_error_sink(report_naming_its_thread);
        window->run_handler([&] { window->view().worker.run([] { throw std::length_error("too long"); }); });
      },
      ::testing::ExitedWithCode(-1), ::testing::HasSubstr("window thread\n" + format_runtime_error(0, "too long", 0, 0)));
}

// A wait that fails would otherwise be taken for "not yet" for ever.
TEST(WorkerWaitDeathTest, FailedWaitEndsInTheReport) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Text report = format_runtime_error(0, format_text(texts::kWorkerWaitFailed, 6ul), 0, 0);
  EXPECT_EXIT(
      {
        Win32Worker worker([] { return true; }, [] {},
                           [](HANDLE, DWORD) -> DWORD {
                             SetLastError(ERROR_INVALID_HANDLE);
                             return WAIT_FAILED;
                           });
        worker.run([] { Sleep(5000); });
        std::fputs("wait ended\n", stderr);
      },
      ::testing::ExitedWithCode(-1),
      ::testing::AllOf(::testing::HasSubstr(report), ::testing::Not(::testing::HasSubstr("wait ended"))));
}

using HandlerDeathTest = WindowFixture;

// Nothing may unwind through the window procedure into the system's code.
TEST_F(HandlerDeathTest, ExceptionOfAHandlerEndsInTheReport) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(window->run_handler([] { throw std::runtime_error("escaped"); }), ::testing::ExitedWithCode(-1),
              ::testing::HasSubstr(format_runtime_error(0, "escaped", 0, 0)));
}

TEST_F(ControlOperationsTest, CloseRequestWaitsForTheHandler) {
  window->run_handler([&] { SendMessageW(window->handle(), WM_CLOSE, 0, 0); });
  EXPECT_TRUE(IsWindow(window->handle()));
  SendMessageW(window->handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window->handle()));
}

TEST_F(ControlOperationsTest, ClockGivesTheLocalTime) {
  SYSTEMTIME before{};
  GetLocalTime(&before);
  const LocalTime now = window->view().clock.now();
  EXPECT_EQ(now.year, before.wYear);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.hour, 0);
  EXPECT_LE(now.second, 59);
}

}  // namespace
}  // namespace colsplit::win32
