// The controls of the definition that the handlers never operate on: push
// buttons, labels and the group box. Each kind creates itself from its
// record; what they do later (a click, a colour) reaches the window through
// their parent's messages.
#pragma once

#include <windows.h>

#include "app/win32/control_window.h"

namespace colsplit::win32 {

struct Win32Button {
  static HWND create(const ControlPlace& place);
};

struct Win32Label {
  static HWND create(const ControlPlace& place);
};

// The group box frames the export settings and is the parent of the
// controls inside it. Those send their notifications and colour questions to
// it; it hands them on to `forward_to` (the main window), and paints its own
// inside, which the main window (WS_CLIPCHILDREN) leaves alone.
struct Win32GroupBox {
  static HWND create(const ControlPlace& place, HWND forward_to);
};

}  // namespace colsplit::win32
