#include "app/win32/application.h"

#include <commctrl.h>
#include <ole2.h>

#include <string>

#include "app/runtime_error/runtime_error_report.h"
#include "text/encoding.h"
#include "text/texts.h"
#include "text/file_paths.h"

namespace colsplit::win32 {

namespace {

// The one window of the program, for the error report.
AppWindow* g_window = nullptr;

}  // namespace

bool enter_run_directory() {
  Text directory = folder_of(executable_path());
  if (directory.empty()) return false;
  // "X:" alone would mean that drive's current directory, not its root.
  if (directory.size() == 2 && directory[1] == ':') directory += '\\';
  return SetCurrentDirectoryW(gbk_to_wide(directory).c_str()) != 0;
}

void show_runtime_error_box(const Text& report) {
  if (g_window) g_window->begin_runtime_error_report();
  MessageBoxW(nullptr, gbk_to_wide(report).c_str(), gbk_to_wide(texts::kErrorCaption).c_str(), MB_ICONSTOP | MB_OK);
}

int run_application(HINSTANCE instance, const Handlers& handlers) {
  set_runtime_error_sink(show_runtime_error_box);
  enter_run_directory();
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&classes);

  std::unique_ptr<AppWindow> window = AppWindow::create(instance, handlers);
  if (!window) raise_runtime_error(kErrorNone, texts::kWindowLoadFailed, 0, 0);
  g_window = window.get();
  window->fire(kMainWindowRecord.event);
  window->show();
  window->run_message_loop();
  g_window = nullptr;
  window.reset();

  OleUninitialize();
  return 0;
}

}  // namespace colsplit::win32
