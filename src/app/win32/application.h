// Start-up of the window program, and the runtime error report as a
// message box.
#pragma once

#include <windows.h>

#include "text/text.h"
#include "app/win32/app_window.h"

namespace colsplit::win32 {

// The whole life of the program: run directory, OLE, the window and its
// controls, the created event, the message loop; the exit code (0).
int run_application(HINSTANCE instance, const Handlers& handlers);

// Makes the directory of the program's executable the current directory.
bool enter_run_directory();

// The runtime error report's sink: a message box titled "错误" with the
// stop sign, no owner.
void show_runtime_error_box(const Text& report);

}  // namespace colsplit::win32
