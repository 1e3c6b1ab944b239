#include "app/win32/plain_controls.h"

#include <commctrl.h>

namespace colsplit::win32 {

namespace {

constexpr UINT_PTR kGroupBoxSubclass = 1;

LRESULT CALLBACK group_box_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                     DWORD_PTR forward_to) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return SendMessageW(reinterpret_cast<HWND>(forward_to), message, wparam, lparam);
    case WM_ERASEBKGND: {
      // The main window clips its children, so nothing else paints the
      // inside of the frame.
      RECT inside{};
      GetClientRect(window, &inside);
      FillRect(reinterpret_cast<HDC>(wparam), &inside, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, group_box_procedure, kGroupBoxSubclass);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace

HWND Win32Button::create(const ControlPlace& place) { return create_control_window(place, WC_BUTTONW); }

HWND Win32Label::create(const ControlPlace& place) { return create_control_window(place, WC_STATICW); }

HWND Win32GroupBox::create(const ControlPlace& place, HWND forward_to) {
  const HWND window = create_control_window(place, WC_BUTTONW);
  if (window) {
    SetWindowSubclass(window, group_box_procedure, kGroupBoxSubclass, reinterpret_cast<DWORD_PTR>(forward_to));
  }
  return window;
}

}  // namespace colsplit::win32
