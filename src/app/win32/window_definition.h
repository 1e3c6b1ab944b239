// The main window and its controls as data: one record for the window and
// one per control, in the order of the definition. The creation code walks
// this table; the tests assert over it.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

namespace colsplit::win32 {

enum class ControlKind { edit_box, list_view, drop_target, progress_bar, push_button, label, combo_box, group_box };

enum class Container { main_window, group_box };

// What a control's event is bound to; only these have handlers.
enum class EventBinding { none, window_created, files_dropped, export_clicked, choose_folder_clicked };

struct Geometry {
  int left;
  int top;
  int width;
  int height;
};

struct WindowRecord {
  const char* const* caption;  // GBK text of texts.h
  int outer_width;
  int outer_height;
  DWORD style;
  DWORD ex_style;
  EventBinding event;
};

struct ControlRecord {
  const char* name;  // the control's name in the definition (UTF-8, for messages and tests)
  ControlKind kind;
  Container container;
  // Relative to the group box for controls inside it, else client coordinates.
  Geometry geometry;
  const char* const* text;  // GBK text of texts.h, or null for no text
  bool visible;
  bool enabled;
  bool tab_stop;
  DWORD style;     // kind-specific window styles; WS_CHILD, WS_TABSTOP, WS_DISABLED come from the flags
  DWORD ex_style;
  DWORD control_ex_style;  // list view extended styles
  EventBinding event;
};

// Positions in the table, by the controls' names.
enum class ControlName : std::size_t {
  编辑框2,
  超级列表框2,
  拖放对象1,
  进度条1,
  按钮_导出,
  标签2,
  按钮_选择目录,
  标签1,
  编辑框1,
  组合框1,
  分组框1,
  超级列表框1,
  count
};

inline constexpr std::size_t kControlCount = static_cast<std::size_t>(ControlName::count);

extern const WindowRecord kMainWindowRecord;
extern const std::array<ControlRecord, kControlCount> kControlTable;

inline const ControlRecord& record_of(ControlName name) { return kControlTable[static_cast<std::size_t>(name)]; }

// The control identifier of a control's window: clear of IDOK and IDCANCEL,
// which the dialog keyboard interface sends for Enter and Esc, and of 1000
// and 1001, which a combo box gives its own list and text field.
inline int control_id(ControlName name) { return 2001 + static_cast<int>(name); }

// The height the combo box is created with, so that its list has room.
inline constexpr int kComboBoxMinimumCreatedHeight = 160;

// The tip box's colours.
inline constexpr COLORREF kTipTextColour = RGB(0, 255, 0);
inline constexpr COLORREF kTipBackgroundColour = RGB(0, 0, 0);

}  // namespace colsplit::win32
