#include "app/win32/application.h"

#include <commctrl.h>
#include <ole2.h>

#include <string>

#include "app/runtime_error/runtime_error_report.h"
#include "text/encoding.h"
#include "app/texts.h"
#include "xl/library_calls.h"

namespace colsplit::win32 {

namespace {

// The one window of the program, for the error report.
AppWindow* g_window = nullptr;

std::wstring module_file_name() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

bool enter_run_directory() {
  const std::wstring path = module_file_name();
  const std::size_t cut = path.find_last_of(L'\\');
  if (cut == std::wstring::npos) return false;
  std::wstring directory = path.substr(0, cut);
  // "X:" alone would mean that drive's current directory, not its root.
  if (directory.size() == 2 && directory[1] == L':') directory += L'\\';
  return SetCurrentDirectoryW(directory.c_str()) != 0;
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
  on_window_created(*window);
  window->show();
  window->run_message_loop();
  g_window = nullptr;
  window.reset();

  xl::release_bound_libraries();
  OleUninitialize();
  return 0;
}

}  // namespace colsplit::win32
