#include "app/win32/control_window.h"

#include <string>

#include "text/encoding.h"

namespace colsplit::win32 {

HWND create_control_window(const ControlPlace& place, const wchar_t* window_class, int height) {
  const ControlRecord& record = place.record;
  if (!place.parent) return nullptr;
  DWORD style = WS_CHILD | record.style;
  if (record.tab_stop) style |= WS_TABSTOP;
  if (!record.enabled) style |= WS_DISABLED;
  const std::wstring text = record.text ? gbk_to_wide(*record.text) : std::wstring();
  const HWND window = CreateWindowExW(record.ex_style, window_class, text.c_str(), style, record.geometry.left,
                                      record.geometry.top, record.geometry.width, height, place.parent,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(record.id)), place.instance,
                                      nullptr);
  if (window) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return window;
}

}  // namespace colsplit::win32
