// The main window and its controls as data: one record for the window and
// one per control, in the order of the definition. The creation code walks
// this table, the window dispatches its events and picks its colours
// through it, and the tests assert over it.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

namespace colsplit::win32 {

enum class ControlKind { edit_box, list_view, drop_target, progress_bar, push_button, label, combo_box, group_box };

enum class Container { main_window, group_box };

// What a control's event is bound to. These are the events the table
// dispatches; the preview list's context menu (sheet, heading row, kept
// format, sheets per value) runs handlers of its own, outside the table
// (AppWindow::open_list_menu).
enum class EventBinding { none, window_created, files_dropped, export_clicked, choose_folder_clicked };

// True for the events a click of a push button fires.
constexpr bool is_click(EventBinding event) {
  return event == EventBinding::export_clicked || event == EventBinding::choose_folder_clicked;
}

struct Geometry {
  int left;
  int top;
  int width;
  int height;
};

// A colour of the definition: left to the platform, a fixed one, or one of
// the system's colours (COLOR_BTNFACE), read when it is used.
struct Colour {
  enum class Kind { platform, fixed, system };
  Kind kind = Kind::platform;
  COLORREF fixed = 0;
  int system_index = 0;

  bool set() const { return kind != Kind::platform; }
  COLORREF value() const { return kind == Kind::system ? GetSysColor(system_index) : fixed; }
};

constexpr Colour fixed_colour(COLORREF colour) { return Colour{Colour::Kind::fixed, colour, 0}; }
constexpr Colour system_colour(int index) { return Colour{Colour::Kind::system, 0, index}; }

struct WindowRecord {
  const char* const* caption;  // GBK text of texts.h
  int outer_width;
  int outer_height;
  DWORD style;
  DWORD ex_style;
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

// The first control identifier: clear of IDOK and IDCANCEL, which the dialog
// keyboard interface sends for Enter and Esc, and of 1000 and 1001, which a
// combo box gives its own list and text field.
inline constexpr int kFirstControlId = 2001;

struct ControlRecord {
  ControlName control;
  int id;            // the control identifier of its window; kFirstControlId + its place in the table
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
  Colour text_colour;
  Colour background;
};

extern const WindowRecord kMainWindowRecord;
extern const std::array<ControlRecord, kControlCount> kControlTable;

inline const ControlRecord& record_of(ControlName name) { return kControlTable[static_cast<std::size_t>(name)]; }

// The record of a control identifier, or null for one that is none of ours
// (IDOK from Enter, the parts of a combo box).
inline const ControlRecord* record_of_id(int id) {
  const int place = id - kFirstControlId;
  if (place < 0 || place >= static_cast<int>(kControlCount)) return nullptr;
  return &kControlTable[static_cast<std::size_t>(place)];
}

inline int control_id(ControlName name) { return record_of(name).id; }

// The height the combo box is created with, so that its list has room.
inline constexpr int kComboBoxMinimumCreatedHeight = 160;

}  // namespace colsplit::win32
