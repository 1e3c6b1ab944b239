#include "app/win32/window_definition.h"

#include <commctrl.h>

#include "text/texts.h"

namespace colsplit::win32 {

namespace {

// Edit boxes have no text limit (set after creation) and hide the selection
// without focus (no ES_NOHIDESEL).
constexpr DWORD kEditBoxStyle = ES_LEFT;
constexpr DWORD kListViewStyle = LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA;
constexpr DWORD kListViewExStyle = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP;
constexpr DWORD kButtonStyle = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;

}  // namespace

const WindowRecord kMainWindowRecord = {
    &texts::kWindowCaption,
    611,
    383,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
    WS_EX_CONTROLPARENT,
    EventBinding::window_created,
};

// clang-format off
const std::array<ControlRecord, kControlCount> kControlTable = {{
    {"编辑框2", ControlKind::edit_box, Container::main_window, {392, 160, 208, 176}, &texts::kTipText,
     true, false, true, kEditBoxStyle | ES_MULTILINE, WS_EX_CLIENTEDGE, 0, EventBinding::none},
    {"超级列表框2", ControlKind::list_view, Container::main_window, {608, 160, 704, 128}, nullptr,
     true, true, true, kListViewStyle, WS_EX_CLIENTEDGE, kListViewExStyle, EventBinding::none},
    {"拖放对象1", ControlKind::drop_target, Container::main_window, {168, 120, 48, 48}, nullptr,
     false, false, false, 0, 0, 0, EventBinding::files_dropped},
    {"进度条1", ControlKind::progress_bar, Container::main_window, {-1, 341, 608, 25}, nullptr,
     true, true, false, 0, WS_EX_STATICEDGE, 0, EventBinding::none},
    {"按钮_导出", ControlKind::push_button, Container::group_box, {8, 87, 192, 48}, &texts::kExportButton,
     true, true, true, kButtonStyle, 0, 0, EventBinding::export_clicked},
    {"标签2", ControlKind::label, Container::group_box, {8, 16, 48, 24}, &texts::kHeadingLabel,
     true, true, false, SS_LEFT, 0, 0, EventBinding::none},
    {"按钮_选择目录", ControlKind::push_button, Container::group_box, {174, 47, 26, 25}, &texts::kChooseFolderButton,
     true, true, true, kButtonStyle, 0, 0, EventBinding::choose_folder_clicked},
    {"标签1", ControlKind::label, Container::group_box, {8, 48, 56, 24}, &texts::kFolderLabel,
     true, true, false, SS_LEFT, 0, 0, EventBinding::none},
    {"编辑框1", ControlKind::edit_box, Container::group_box, {64, 48, 108, 24}, nullptr,
     true, true, true, kEditBoxStyle | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 0, EventBinding::none},
    {"组合框1", ControlKind::combo_box, Container::group_box, {64, 16, 136, 24}, nullptr,
     true, true, true, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0, 0, EventBinding::none},
    // The group box holds controls of its own: WS_EX_CONTROLPARENT lets Tab
    // reach them, WS_CLIPCHILDREN keeps its frame from painting over them.
    {"分组框1", ControlKind::group_box, Container::main_window, {392, 8, 208, 144}, nullptr,
     true, true, false, BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, 0, EventBinding::none},
    {"超级列表框1", ControlKind::list_view, Container::main_window, {8, 8, 376, 328}, nullptr,
     true, true, true, kListViewStyle, WS_EX_CLIENTEDGE, kListViewExStyle, EventBinding::none},
}};
// clang-format on

}  // namespace colsplit::win32
