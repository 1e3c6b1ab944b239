// The main window: built from the window definition, it owns the Win32
// controls, routes the bound events to their handlers one at a time, and
// keeps painting (but takes no input) while a handler runs.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>

#include "app/controls/controls.h"
#include "app/win32/drop_target.h"
#include "app/win32/win32_controls.h"
#include "app/win32/win32_dialogs.h"
#include "app/win32/window_definition.h"

namespace colsplit::win32 {

// The handlers of the bound control events.
struct Handlers {
  void (*files_dropped)(MainWindow& window, const Text& dropped) = nullptr;
  void (*export_clicked)(MainWindow& window) = nullptr;
  void (*choose_folder_clicked)(MainWindow& window) = nullptr;
};

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

  // Runs a handler as a bound event does: not while another runs.
  template <typename Handler>
  void run_handler(Handler&& handler);

 private:
  explicit AppWindow(const Handlers& handlers) : handlers_(handlers) {}
  bool build(HINSTANCE instance);
  bool create_control(HINSTANCE instance, ControlName name);
  void make_control_wrappers();
  HBRUSH colours_for(HWND control, HDC dc) const;
  bool belongs_to_window(HWND window) const;
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
  void handle_notify(const NMHDR& header);

  static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK group_box_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                              UINT_PTR id, DWORD_PTR data);

  Handlers handlers_;
  HWND main_ = nullptr;
  std::array<HWND, kControlCount> controls_{};
  HWND focus_before_deactivation_ = nullptr;
  bool busy_ = false;
  bool reporting_ = false;

  std::optional<Win32EditBox> edit_box_1_;
  std::optional<Win32EditBox> edit_box_2_;
  std::optional<Win32ComboBox> combo_box_1_;
  std::optional<Win32ListView> list_view_1_;
  std::optional<Win32ListView> list_view_2_;
  std::optional<Win32ProgressBar> progress_bar_1_;
  std::optional<Win32Dialogs> dialogs_;
  Win32Clock clock_;
  std::optional<MainWindow> view_;
  std::optional<DropTarget> drop_target_;
};

template <typename Handler>
void AppWindow::run_handler(Handler&& handler) {
  if (busy_ || reporting_) return;
  busy_ = true;
  const HWND focus = GetFocus();
  EnableWindow(main_, FALSE);
  handler();
  sync_controls();
  EnableWindow(main_, TRUE);
  busy_ = false;
  if (focus && IsWindow(focus) && GetActiveWindow() == main_) SetFocus(focus);
}

// The created event's handler: attaches 拖放对象1 to the main window. The
// registration's result is not examined: without it the window simply
// refuses every drop.
void on_window_created(AppWindow& window);

}  // namespace colsplit::win32
