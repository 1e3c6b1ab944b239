// The real main window, built without its message loop, checked against
// its definition.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "text/texts.h"
#include "text/encoding.h"
#include "app/win32/app_window.h"
#include "app/win32/window_definition.h"
#include "window_fixture.h"

namespace colsplit::win32 {
namespace {

std::wstring class_of(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring text_of(HWND window) {
  wchar_t text[1024] = {};
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

// The window's rectangle in client coordinates of the main window.
RECT rect_in(HWND main, HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

const wchar_t* expected_class(ControlKind kind) {
  switch (kind) {
    case ControlKind::edit_box: return L"Edit";
    case ControlKind::list_view: return L"SysListView32";
    case ControlKind::progress_bar: return L"msctls_progress32";
    case ControlKind::push_button:
    case ControlKind::group_box: return L"Button";
    case ControlKind::label: return L"Static";
    case ControlKind::combo_box: return L"ComboBox";
    default: return L"";
  }
}

using MainWindowTest = WindowFixture;

TEST_F(MainWindowTest, MainWindowIsCentredWithAFixedFrame) {
  const HWND main = window->handle();
  EXPECT_EQ(text_of(main), gbk_to_wide(texts::kWindowCaption));
  RECT rect{};
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.right - rect.left, 611);
  EXPECT_EQ(rect.bottom - rect.top, 383);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 611) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 383) / 2);

  const LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_VISIBLE);  // shown only after the created event
  EXPECT_EQ(GetParent(main), nullptr);
  EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);
  EXPECT_EQ(GetClassLongPtrW(main, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
}

TEST_F(MainWindowTest, EveryControlMatchesItsRecord) {
  const HWND main = window->handle();
  const HWND group_box = window->control(ControlName::分组框1);
  const RECT group_rect = rect_in(main, group_box);
  const auto default_font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

  for (std::size_t row = 0; row < kControlCount; ++row) {
    const ControlRecord& record = kControlTable[row];
    const HWND control = window->control(static_cast<ControlName>(row));
    SCOPED_TRACE(record.name);
    if (record.kind == ControlKind::drop_target) {
      EXPECT_EQ(control, nullptr);
      continue;
    }
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(_wcsicmp(class_of(control).c_str(), expected_class(record.kind)), 0) << class_of(control).c_str();
    EXPECT_EQ(text_of(control), record.text ? gbk_to_wide(*record.text) : std::wstring());
    EXPECT_EQ(GetDlgCtrlID(control), control_id(static_cast<ControlName>(row)));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), default_font);

    const bool inside_group = record.container == Container::group_box;
    EXPECT_EQ(GetParent(control), inside_group ? group_box : main);
    const RECT rect = rect_in(main, control);
    const int origin_x = inside_group ? group_rect.left : 0;
    const int origin_y = inside_group ? group_rect.top : 0;
    EXPECT_EQ(rect.left, origin_x + record.geometry.left);
    EXPECT_EQ(rect.top, origin_y + record.geometry.top);
    EXPECT_EQ(rect.right - rect.left, record.geometry.width);
    // A drop-down combo box shows only its field; its list has 160 pixels.
    if (record.kind != ControlKind::combo_box) {
      EXPECT_EQ(rect.bottom - rect.top, record.geometry.height);
    }

    const DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    const DWORD ex_style = static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE));
    // A combo box hands its scroll bar on to its list.
    const DWORD own_style = record.kind == ControlKind::combo_box ? record.style & ~WS_VSCROLL : record.style;
    EXPECT_EQ(style & own_style, own_style);
    EXPECT_EQ(ex_style & record.ex_style, record.ex_style);
    EXPECT_EQ((style & WS_TABSTOP) != 0, record.tab_stop);
    EXPECT_EQ((style & WS_VISIBLE) != 0, record.visible);
    EXPECT_EQ(IsWindowEnabled(control) != 0, record.enabled);
    if (record.kind == ControlKind::list_view) {
      const auto extended = static_cast<DWORD>(SendMessageW(control, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
      EXPECT_EQ(extended, record.control_ex_style);
      EXPECT_TRUE(style & LVS_OWNERDATA);
      EXPECT_FALSE(style & (LVS_SHOWSELALWAYS | LVS_EDITLABELS | LVS_NOSORTHEADER));
    }
  }
}

TEST_F(MainWindowTest, KindSpecificSettings) {
  const HWND progress = window->control(ControlName::进度条1);
  PBRANGE range{};
  SendMessageW(progress, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 100);
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 0);
  EXPECT_FALSE(GetWindowLongW(progress, GWL_STYLE) & PBS_SMOOTH);

  // The list items are one pixel higher than a plain combo box's.
  const HWND combo = window->control(ControlName::组合框1);
  const HWND plain = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | CBS_DROPDOWN, 0, 0, 100, 160,
                                     window->handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(plain, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0), SendMessageW(plain, CB_GETITEMHEIGHT, 0, 0) + 1);
  DestroyWindow(plain);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);

  for (ControlName name : {ControlName::超级列表框1, ControlName::超级列表框2}) {
    const HWND list = window->control(name);
    EXPECT_EQ(SendMessageW(list, LVM_GETBKCOLOR, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 0);
  }
  // The staging list view lies beyond the right edge of the client area.
  RECT client{};
  GetClientRect(window->handle(), &client);
  EXPECT_GE(rect_in(window->handle(), window->control(ControlName::超级列表框2)).left, client.right);
}

// The colours come from the records: the tip box green on black, the
// labels black on the window's background, the fields black on white, also
// the text field inside the combo box.
TEST_F(MainWindowTest, ControlsShowTheColoursOfTheirRecords) {
  EXPECT_EQ(record_of(ControlName::编辑框2).text_colour.value(), RGB(0, 255, 0));
  EXPECT_EQ(record_of(ControlName::编辑框2).background.value(), RGB(0, 0, 0));
  EXPECT_EQ(record_of(ControlName::标签1).background.value(), GetSysColor(COLOR_BTNFACE));

  const HDC dc = CreateCompatibleDC(nullptr);
  int checked = 0;
  for (std::size_t row = 0; row < kControlCount; ++row) {
    const ControlRecord& record = kControlTable[row];
    if (!record.background.set() || record.kind == ControlKind::list_view) continue;
    SCOPED_TRACE(record.name);
    std::vector<HWND> windows = {window->control(record.control)};
    if (HWND field = FindWindowExW(windows[0], nullptr, L"Edit", nullptr)) windows.push_back(field);
    for (HWND shown : windows) {
      for (UINT message : {WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT}) {
        SetTextColor(dc, RGB(1, 2, 3));
        const auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(window->handle(), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(shown)));
        LOGBRUSH painted{};
        ASSERT_EQ(GetObjectW(brush, sizeof painted, &painted), static_cast<int>(sizeof painted));
        EXPECT_EQ(painted.lbColor, record.background.value());
        EXPECT_EQ(GetBkColor(dc), record.background.value());
        EXPECT_EQ(GetTextColor(dc), record.text_colour.value());
        ++checked;
      }
    }
  }
  DeleteDC(dc);
  EXPECT_EQ(checked, 12);  // the tip box, the two labels, the folder field, the combo box and its field

  const HWND tip = window->control(ControlName::编辑框2);
  EXPECT_TRUE(GetWindowLongW(tip, GWL_STYLE) & ES_MULTILINE);
  EXPECT_FALSE(GetWindowLongW(tip, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL));
}

TEST_F(MainWindowTest, TabVisitsOnlyTheTabStops) {
  window->show();
  const HWND main = window->handle();
  std::set<HWND> visited;
  HWND at = window->control(ControlName::超级列表框1);
  for (int step = 0; step < 20 && visited.insert(at).second; ++step) at = GetNextDlgTabItem(main, at, FALSE);
  const std::set<HWND> expected = {
      window->control(ControlName::超级列表框1), window->control(ControlName::组合框1),
      window->control(ControlName::编辑框1),     window->control(ControlName::按钮_选择目录),
      window->control(ControlName::按钮_导出),   window->control(ControlName::超级列表框2),
  };
  EXPECT_EQ(visited, expected);
  EXPECT_EQ(GetFocus(), window->control(ControlName::超级列表框1));
}

TEST_F(MainWindowTest, NoControlIsADefaultButton) {
  for (ControlName name : {ControlName::按钮_导出, ControlName::按钮_选择目录}) {
    const LRESULT code = SendMessageW(window->control(name), WM_GETDLGCODE, 0, 0);
    EXPECT_FALSE(code & DLGC_DEFPUSHBUTTON);
    EXPECT_NE(GetDlgCtrlID(window->control(name)), IDOK);
  }
}

// A click is dispatched through the record of its control identifier: each
// bound button fires its own event once, a click reported for any other
// record fires nothing.
TEST_F(MainWindowTest, EveryClickFiresTheEventOfItsRecord) {
  for (const ControlRecord& record : kControlTable) {
    SCOPED_TRACE(record.name);
    events = RecordedEvents{};
    SendMessageW(window->handle(), WM_COMMAND, MAKEWPARAM(record.id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(window->control(record.control)));
    EXPECT_EQ(events.export_clicks, record.event == EventBinding::export_clicked ? 1 : 0);
    EXPECT_EQ(events.folder_clicks, record.event == EventBinding::choose_folder_clicked ? 1 : 0);
    EXPECT_TRUE(events.drops.empty());
  }
  EXPECT_EQ(record_of_id(kFirstControlId - 1), nullptr);
  EXPECT_EQ(record_of_id(kFirstControlId + static_cast<int>(kControlCount)), nullptr);
}

TEST_F(MainWindowTest, ButtonsFireTheirHandlersOnce) {
  SendMessageW(window->control(ControlName::按钮_导出), BM_CLICK, 0, 0);
  EXPECT_EQ(events.export_clicks, 1);
  EXPECT_EQ(events.folder_clicks, 0);
  SendMessageW(window->control(ControlName::按钮_选择目录), BM_CLICK, 0, 0);
  EXPECT_EQ(events.folder_clicks, 1);
  // Enter reaches the window as IDOK, which nothing answers.
  SendMessageW(window->handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(events.export_clicks, 1);
  EXPECT_EQ(events.folder_clicks, 1);
}

}  // namespace
}  // namespace colsplit::win32
