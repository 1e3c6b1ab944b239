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

constexpr Colour kPlatform{};
constexpr Colour kBlack = fixed_colour(RGB(0, 0, 0));
constexpr Colour kWhite = fixed_colour(RGB(255, 255, 255));
constexpr Colour kGreen = fixed_colour(RGB(0, 255, 0));
constexpr Colour kWindowBackground = system_colour(COLOR_BTNFACE);

}  // namespace

const WindowRecord kMainWindowRecord = {
    &texts::kWindowCaption,
    611,
    383,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
    WS_EX_CONTROLPARENT,
    EventBinding::window_created,
};

namespace {
using N = ControlName;
using K = ControlKind;
using C = Container;
using E = EventBinding;
}  // namespace

// clang-format off
constexpr std::array<ControlRecord, kControlCount> kControlTable = {{
    {N::编辑框2, 2001, "编辑框2", K::edit_box, C::main_window, {392, 160, 208, 176}, &texts::kTipText,
     true, false, true, kEditBoxStyle | ES_MULTILINE, WS_EX_CLIENTEDGE, 0, E::none, kGreen, kBlack},
    {N::超级列表框2, 2002, "超级列表框2", K::list_view, C::main_window, {608, 160, 704, 128}, nullptr,
     true, true, true, kListViewStyle, WS_EX_CLIENTEDGE, kListViewExStyle, E::none, kBlack, kWhite},
    {N::拖放对象1, 2003, "拖放对象1", K::drop_target, C::main_window, {168, 120, 48, 48}, nullptr,
     false, false, false, 0, 0, 0, E::files_dropped, kPlatform, kPlatform},
    {N::进度条1, 2004, "进度条1", K::progress_bar, C::main_window, {-1, 341, 608, 25}, nullptr,
     true, true, false, 0, WS_EX_STATICEDGE, 0, E::none, kPlatform, kPlatform},
    {N::按钮_导出, 2005, "按钮_导出", K::push_button, C::group_box, {8, 87, 192, 48}, &texts::kExportButton,
     true, true, true, kButtonStyle, 0, 0, E::export_clicked, kPlatform, kPlatform},
    {N::标签2, 2006, "标签2", K::label, C::group_box, {8, 16, 48, 24}, &texts::kHeadingLabel,
     true, true, false, SS_LEFT, 0, 0, E::none, kBlack, kWindowBackground},
    {N::按钮_选择目录, 2007, "按钮_选择目录", K::push_button, C::group_box, {174, 47, 26, 25}, &texts::kChooseFolderButton,
     true, true, true, kButtonStyle, 0, 0, E::choose_folder_clicked, kPlatform, kPlatform},
    {N::标签1, 2008, "标签1", K::label, C::group_box, {8, 48, 56, 24}, &texts::kFolderLabel,
     true, true, false, SS_LEFT, 0, 0, E::none, kBlack, kWindowBackground},
    {N::编辑框1, 2009, "编辑框1", K::edit_box, C::group_box, {64, 48, 108, 24}, nullptr,
     true, true, true, kEditBoxStyle | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 0, E::none, kBlack, kWhite},
    {N::组合框1, 2010, "组合框1", K::combo_box, C::group_box, {64, 16, 136, 24}, nullptr,
     true, true, true, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0, 0, E::none, kBlack, kWhite},
    // The group box holds controls of its own: WS_EX_CONTROLPARENT lets Tab
    // reach them, WS_CLIPCHILDREN keeps its frame from painting over them.
    {N::分组框1, 2011, "分组框1", K::group_box, C::main_window, {392, 8, 208, 144}, nullptr,
     true, true, false, BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, 0, E::none, kPlatform, kPlatform},
    {N::超级列表框1, 2012, "超级列表框1", K::list_view, C::main_window, {8, 8, 376, 328}, nullptr,
     true, true, true, kListViewStyle, WS_EX_CLIENTEDGE, kListViewExStyle, E::none, kBlack, kWhite},
}};
// clang-format on

// The table is looked up by name and by control identifier through a
// record's place: every record must sit where its name and its id say.
constexpr bool every_record_sits_at_its_id() {
  for (std::size_t place = 0; place < kControlCount; ++place) {
    const ControlRecord& record = kControlTable[place];
    if (static_cast<std::size_t>(record.control) != place) return false;
    if (record.id != kFirstControlId + static_cast<int>(place)) return false;
  }
  return true;
}
static_assert(every_record_sits_at_its_id(), "a record of the window definition is out of place");

// Exactly one control fires each event of a control.
constexpr int records_with(EventBinding event) {
  int count = 0;
  for (const ControlRecord& record : kControlTable) count += record.event == event ? 1 : 0;
  return count;
}
static_assert(records_with(E::files_dropped) == 1 && records_with(E::export_clicked) == 1 &&
                  records_with(E::choose_folder_clicked) == 1 && records_with(E::window_created) == 0,
              "each bound event of a control belongs to exactly one record");

}  // namespace colsplit::win32
