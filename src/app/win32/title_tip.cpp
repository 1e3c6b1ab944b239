#include "app/win32/title_tip.h"

#include <commctrl.h>

#include <string>

#include "text/encoding.h"

namespace colsplit::win32 {

namespace {

// Two sentences take a while to read; the platform's default hides a tip
// after five seconds.
constexpr int kShownMilliseconds = 30000;

}  // namespace

TitleTip::~TitleTip() {
  // The owner's destruction usually took the tooltip with it.
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

void TitleTip::create(HINSTANCE instance, HWND owner, HWND list, const Text& text) {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
  window_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance,
                            nullptr);
  if (!window_) return;
  std::wstring wide_text = gbk_to_wide(text);
  TTTOOLINFOW tool{};
  // The size that Common Controls 5 knows too: the test programs run without
  // the product's manifest.
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(list);
  tool.lpszText = wide_text.data();
  SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  // A maximum width is what makes a tooltip honour line breaks and wrap;
  // the list's own width keeps the tip over it.
  RECT list_area{};
  GetClientRect(list, &list_area);
  SendMessageW(window_, TTM_SETMAXTIPWIDTH, 0, list_area.right - list_area.left);
  SendMessageW(window_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kShownMilliseconds, 0));
  set_active(false);
}

void TitleTip::set_active(bool active) {
  active_ = active;
  if (window_) SendMessageW(window_, TTM_ACTIVATE, active ? TRUE : FALSE, 0);
}

}  // namespace colsplit::win32
