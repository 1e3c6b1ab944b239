// The main window: built from the window definition, it owns the Win32
// controls, routes the events that the definition binds to their handlers
// one at a time, and keeps painting (but takes no input) while a handler
// runs.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/controls/controls.h"
#include "app/runtime_error/runtime_error_report.h"
#include "app/win32/drop_target.h"
#include "app/win32/list_context_menu.h"
#include "app/win32/title_tip.h"
#include "app/win32/win32_controls.h"
#include "app/win32/win32_dialogs.h"
#include "app/win32/win32_worker.h"
#include "app/win32/window_definition.h"

namespace colsplit::win32 {

// The handlers of the events that the window definition binds to controls
// (the window's own created event has the shell's on_window_created).
struct Handlers {
  void (*files_dropped)(MainWindow& window, const Text& dropped) = nullptr;
  void (*export_clicked)(MainWindow& window) = nullptr;
  void (*choose_folder_clicked)(MainWindow& window) = nullptr;

  // The preview list's context menu. Its questions: the shown workbook's
  // worksheets, and whether the list's column titles look like a title
  // (the tip then points to the menu). Its choices: a worksheet by index, a
  // list row as the heading row, and the two switches turned to `on`.
  const std::vector<Text>& (*worksheet_names)(MainWindow& window) = nullptr;
  bool (*headings_look_like_a_title)(const ListView& list, const SourceSheet& source) = nullptr;
  void (*sheet_chosen)(MainWindow& window, int index) = nullptr;
  void (*heading_row_chosen)(MainWindow& window, int list_row) = nullptr;
  void (*keep_format_chosen)(MainWindow& window, bool on) = nullptr;
  void (*csv_chosen)(MainWindow& window, bool on) = nullptr;
  void (*into_sheets_chosen)(MainWindow& window, bool on) = nullptr;
};

// Shows a popup menu at a screen point and answers the chosen command (0:
// none); track_list_menu unless a test puts its own.
using MenuChooser = std::function<UINT(HMENU menu, HWND owner, POINT at)>;

class AppWindow {
 public:
  // Builds the window (invisible) and its controls; nothing when any
  // window cannot be made.
  static std::unique_ptr<AppWindow> create(HINSTANCE instance, const Handlers& handlers);
  ~AppWindow();
  AppWindow(const AppWindow&) = delete;
  AppWindow& operator=(const AppWindow&) = delete;

  HWND handle() const { return main_; }
  // The window of a control; null for the drop target, which has none.
  HWND control(ControlName name) const { return controls_[static_cast<std::size_t>(name)]; }
  MainWindow& view() { return *view_; }
  DropTarget& drop_target() { return *drop_target_; }
  Win32ListView& list_view(ControlName name);

  // Shows the window and gives the first tab stop the focus.
  void show();
  // Runs until the window is destroyed; the WM_QUIT code.
  int run_message_loop();

  // True while a handler runs.
  bool busy() const { return busy_; }
  // Lets pending paint, timer and other non-input messages through, and
  // drops input (keys, mouse): the window stays alive but takes no input.
  void keep_painting();
  // Brings the list views and the progress bar on screen up to their data.
  void sync_controls();
  // A fatal error is being reported: from now on no event reaches any
  // handler, and the window stays movable while the report is open.
  void begin_runtime_error_report();

  // Fires an event of the definition: runs the handler it is bound to (the
  // file drop's with its text), as a bound event does.
  void fire(EventBinding event, const Text& argument = Text());

  // Runs a handler as a bound event does: not while another runs, nor once
  // a fatal error is being reported.
  template <typename Handler>
  void run_handler(Handler&& handler);

  void choose_menu_items_with(MenuChooser chooser) { menu_chooser_ = std::move(chooser); }
  const TitleTip& title_tip() const { return title_tip_; }

 private:
  explicit AppWindow(const Handlers& handlers) : handlers_(handlers) {}
  bool build(HINSTANCE instance);
  // Has the record's control kind create the control (its wrapper's
  // create), or makes the drop target, which has no window.
  bool create_control(HINSTANCE instance, ControlName name);
  void make_control_wrappers();
  // The record's colours for a control window (or a part of one, such as
  // the combo box's text field); its background brush, or null to leave the
  // control to the platform.
  HBRUSH colours_for(HWND control, HDC dc) const;
  // The place in the table of a control window or a part of one.
  std::optional<std::size_t> place_of(HWND window) const;
  bool belongs_to_window(HWND window) const;
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
  void handle_notify(const NMHDR& header);
  // A WM_CONTEXTMENU: the preview list's menu when `source` is the list or
  // its header (then true, also when no menu may open now).
  bool open_list_menu(HWND source, LPARAM position);
  void run_list_menu_command(UINT command, int row, const ListMenuContent& content);
  // After every handler: the tip is active while the headings look like a title.
  void update_title_tip();
  // After every handler and every pick in the heading box: the further split
  // columns lose the one now chosen there and those the list no longer has,
  // and 编辑框2 tells below its hints what the split is by.
  void settle_split_choices();
  // 按行数拆分: turned off when on, else on with the number the dialog asks.
  void toggle_rows_per_output(const ListMenuContent& content);

  static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  Handlers handlers_;
  HWND main_ = nullptr;
  std::array<HWND, kControlCount> controls_{};
  std::array<HBRUSH, kControlCount> background_brushes_{};  // of the records' fixed backgrounds
  HWND focus_before_deactivation_ = nullptr;
  bool busy_ = false;  // the window's thread's own
  // Set by the report, which may be raised from inside any message.
  std::atomic<bool> reporting_{false};

  std::optional<Win32EditBox> edit_box_1_;
  std::optional<Win32EditBox> edit_box_2_;
  std::optional<Win32ComboBox> combo_box_1_;
  std::optional<Win32ListView> list_view_1_;
  std::optional<Win32ListView> list_view_2_;
  std::optional<Win32ProgressBar> progress_bar_1_;
  std::optional<Win32Dialogs> dialogs_;
  Win32Clock clock_;
  SplitSession session_;
  std::optional<Win32Worker> worker_;
  std::optional<MainWindow> view_;
  std::optional<DropTarget> drop_target_;
  TitleTip title_tip_;
  MenuChooser menu_chooser_ = track_list_menu;
  int rows_asked_last_ = 1000;  // what the rows dialog shows first
};

template <typename Handler>
void AppWindow::run_handler(Handler&& handler) {
  if (busy_ || reporting_) return;
  busy_ = true;
  const HWND focus = GetFocus();
  EnableWindow(main_, FALSE);
  report_escaping_exceptions(handler);
  sync_controls();
  update_title_tip();
  settle_split_choices();
  EnableWindow(main_, TRUE);
  busy_ = false;
  if (focus && IsWindow(focus) && GetActiveWindow() == main_) SetFocus(focus);
}

// The created event's handler: attaches 拖放对象1 to the main window. The
// registration's result is not examined: without it the window simply
// refuses every drop.
void on_window_created(AppWindow& window);

}  // namespace colsplit::win32
