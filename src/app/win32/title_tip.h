// The tip over the preview list that points the user to its context menu
// when the list's column titles look like a table's title rather than its
// headings. A tooltip of the list's own, shown while the mouse rests on the
// list, only while the tip is active.
#pragma once

#include <windows.h>

#include "text/text.h"

namespace colsplit::win32 {

class TitleTip {
 public:
  TitleTip() = default;
  ~TitleTip();
  TitleTip(const TitleTip&) = delete;
  TitleTip& operator=(const TitleTip&) = delete;

  // Makes the tooltip over `list`, owned by `owner`, inactive. The tip is
  // advice only: when no tooltip can be made the window simply has none.
  void create(HINSTANCE instance, HWND owner, HWND list, const Text& text);
  void set_active(bool active);
  bool active() const { return active_; }
  HWND window() const { return window_; }

 private:
  HWND window_ = nullptr;
  bool active_ = false;
};

}  // namespace colsplit::win32
