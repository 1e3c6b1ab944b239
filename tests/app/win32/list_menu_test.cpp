// The preview list's context menu on the real window, from the
// WM_CONTEXTMENU that a right click or the keyboard sends to the handler its
// chosen item calls; and the tip that points to the menu.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32/list_context_menu.h"
#include "support/gbk_literal.h"
#include "text/encoding.h"
#include "text/texts.h"
#include "window_fixture.h"

namespace colsplit::win32 {
namespace {

using ::colsplit::testing::gbk;

// The menu as the user reads it, one line per item: its text with " [x]"
// when checked and " [grey]" when greyed; a submenu's items follow it,
// indented.
std::vector<std::wstring> describe(HMENU menu) {
  std::vector<std::wstring> lines;
  for (int place = 0; place < GetMenuItemCount(menu); ++place) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 256;
    GetMenuItemInfoW(menu, static_cast<UINT>(place), TRUE, &info);
    if (info.fType & MFT_SEPARATOR) {
      lines.push_back(L"----");
      continue;
    }
    std::wstring line = text;
    if (info.fState & MFS_CHECKED) line += L" [x]";
    if (info.fState & MFS_GRAYED) line += L" [grey]";
    lines.push_back(line);
    if (info.hSubMenu) {
      for (const std::wstring& item : describe(info.hSubMenu)) lines.push_back(L"  " + item);
    }
  }
  return lines;
}

enum class Where { row_1, below_rows, header, header_from_list, keyboard_on_row_2, keyboard_without_selection };

class ListMenuTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    list = window->control(ControlName::超级列表框1);
    header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    ListView& rows = window->view().超级列表框1;
    rows.append_column(gbk(u8"城市"));
    rows.append_column(gbk(u8"人口"));
    for (int row = 0; row < 4; ++row) rows.append_row();
    window->sync_controls();
    window->choose_menu_items_with([this](HMENU menu, HWND owner, POINT at) {
      shown.push_back(describe(menu));
      EXPECT_EQ(owner, window->handle());
      opened_at = at;
      if (chosen.empty()) return answer_without_choice;
      HMENU holder = menu;
      for (std::size_t step = 0; step + 1 < chosen.size(); ++step) holder = GetSubMenu(holder, chosen[step]);
      return GetMenuItemID(holder, chosen.back());
    });
  }

  POINT on_screen(HWND window_of, POINT point) {
    ClientToScreen(window_of, &point);
    return point;
  }

  void open_menu(Where where) {
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    RECT area{};
    GetClientRect(list, &area);
    RECT header_area{};
    GetClientRect(header, &header_area);
    HWND source = list;
    POINT at{};
    switch (where) {
      case Where::row_1: at = on_screen(list, {row.left + 30, (row.top + row.bottom) / 2}); break;
      case Where::below_rows: at = on_screen(list, {30, area.bottom - 5}); break;
      case Where::header: source = header; [[fallthrough]];
      case Where::header_from_list: at = on_screen(header, {30, header_area.bottom / 2}); break;
      case Where::keyboard_on_row_2: {
        LVITEMW selected{};
        selected.stateMask = selected.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&selected));
        [[fallthrough]];
      }
      case Where::keyboard_without_selection: at = {-1, -1}; break;
    }
    SendMessageW(window->handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(source), MAKELPARAM(at.x, at.y));
  }

  HWND list = nullptr;
  HWND header = nullptr;
  std::vector<UINT> chosen;  // the places of the item to choose, through submenus; none: dismissed
  UINT answer_without_choice = 0;
  std::vector<std::vector<std::wstring>> shown;
  POINT opened_at{};
};

TEST_F(ListMenuTest, ShowsTheSheetsTheRowAndTheChoices) {
  window->view().session.source.file_name = "Z:\\book.xlsx";
  window->view().session.source.sheet_index = 9;
  window->view().session.choices.keep_format = true;
  for (const char8_t* name : {u8"一月", u8"A&B", u8"三", u8"4", u8"5", u8"6", u8"7", u8"8", u8"9", u8"十&", u8"11"}) {
    events.sheet_names.push_back(gbk(name));
  }
  open_menu(Where::row_1);
  ASSERT_EQ(shown.size(), 1u);
  const std::vector<std::wstring> expected = {
      gbk_to_wide(texts::kMenuSheets),
      L"  &1 一月", L"  &2 A&&B", L"  &3 三", L"  &4 4", L"  &5 5", L"  &6 6", L"  &7 7", L"  &8 8", L"  &9 9",
      L"  十&& [x]", L"  11",
      gbk_to_wide(texts::kMenuSetHeadingRow),
      L"----",
      gbk_to_wide(texts::kMenuKeepFormat) + L" [x]",
      gbk_to_wide(texts::kMenuIntoSheets),
      gbk_to_wide(texts::kMenuCsv),
      L"----",
      gbk_to_wide(texts::kMenuAlsoBy) + L" [grey]",  // no heading chosen
      L"  &1 城市", L"  &2 人口",
      gbk_to_wide(texts::kMenuRowsPerOutput),
  };
  EXPECT_EQ(shown[0], expected);
  EXPECT_TRUE(events.choices.empty());
}

// Where the menu opens, what is greyed there, and the handler the chosen
// item calls with its argument.
TEST_F(ListMenuTest, EveryItemCallsItsHandlerWithItsArgument) {
  struct Case {
    const char* what;
    Where where;
    bool loaded;
    int sheets;
    bool keep_format;
    bool into_sheets;
    bool sheets_greyed;
    bool heading_greyed;
    std::vector<UINT> chosen;
    const char* call;  // the recorded handler call; empty: none
  };
  const Case cases[] = {
      {"a sheet", Where::row_1, true, 3, false, false, false, false, {0, 2}, "sheet 2"},
      {"the shown sheet again", Where::row_1, true, 3, false, false, false, false, {0, 0}, "sheet 0"},
      {"the clicked row", Where::row_1, true, 3, false, false, false, false, {1}, "heading 1"},
      {"the selected row", Where::keyboard_on_row_2, true, 2, false, false, false, false, {1}, "heading 2"},
      {"keep format on", Where::below_rows, true, 2, false, false, false, true, {3}, "keep_format 1"},
      {"keep format off", Where::header, true, 2, true, false, false, true, {3}, "keep_format 0"},
      {"into sheets on", Where::header_from_list, true, 1, false, false, true, true, {4}, "into_sheets 1"},
      {"into sheets off", Where::keyboard_without_selection, false, 5, false, true, true, true, {4}, "into_sheets 0"},
      {"no workbook", Where::row_1, false, 5, false, false, true, true, {}, ""},
      {"dismissed", Where::row_1, true, 3, false, false, false, false, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    events = RecordedEvents{};
    shown.clear();
    SourceSheet& source = window->view().session.source;
    source.file_name = c.loaded ? "Z:\\book.xlsx" : "";
    for (int sheet = 0; sheet < c.sheets; ++sheet) events.sheet_names.push_back(std::to_string(sheet));
    SplitChoices& choices = window->view().session.choices;
    choices = SplitChoices{};
    choices.keep_format = c.keep_format;
    choices.into_sheets = c.into_sheets;
    chosen = c.chosen;
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));

    open_menu(c.where);
    ASSERT_EQ(shown.size(), 1u);
    const std::vector<std::wstring>& menu = shown[0];
    const std::size_t listed = c.loaded ? static_cast<std::size_t>(c.sheets) : 0;
    ASSERT_EQ(menu.size(), 11 + listed);
    EXPECT_EQ(menu[0].ends_with(L" [grey]"), c.sheets_greyed);
    EXPECT_EQ(menu[listed + 1].ends_with(L" [grey]"), c.heading_greyed);
    EXPECT_EQ(menu[listed + 3].ends_with(L" [x]"), c.keep_format);
    EXPECT_EQ(menu[listed + 4].ends_with(L" [x]"), c.into_sheets);
    EXPECT_EQ(events.choices, *c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{});

    // The keyboard's menu opens on the list, the mouse's where it was clicked.
    RECT area{};
    GetWindowRect(list, &area);
    EXPECT_TRUE(PtInRect(&area, opened_at));
  }
}

// The split choices: which items are greyed and checked with which choices,
// what choosing one changes, and the line of 编辑框2 that follows.
TEST_F(ListMenuTest, SplitChoicesGreyEachOtherAndShowWhatTheSplitIsBy) {
  const HWND headings = window->control(ControlName::组合框1);
  window->view().组合框1.append_item(gbk(u8"城市"), 0);
  window->view().组合框1.append_item(gbk(u8"人口"), 1);
  for (const char8_t* more : {u8"区", u8"街", u8"路"}) window->view().超级列表框1.append_column(gbk(more));
  struct Case {
    const char* what;
    int chosen;  // the heading box's item, -1: none
    std::vector<int> also_by;
    int rows;
    bool csv;
    bool into_sheets;
    std::vector<UINT> pick;
    // Into sheets, CSV, further columns, rows, then the further columns'
    // items: 'x' checked, 'g' greyed, '.' neither.
    const char* menu;
    std::vector<int> also_by_after;
    int rows_after;
    bool csv_after;
    std::u8string line;
  };
  const Case cases[] = {
      {"no heading: no further columns", -1, {}, 0, false, false, {}, "..g.|.....", {}, 0, false, u8""},
      {"a further column", 0, {}, 0, false, false, {7, 1}, "....|....", {2}, 0, false, u8"按 城市 + 区 拆分"},
      {"the chosen heading drops out", 1, {1, 3}, 0, false, false, {}, "....|..x.", {3}, 0, false,
       u8"按 人口 + 街 拆分"},
      {"past three greyed", 0, {1, 2, 3}, 0, false, false, {}, "....|xxxg", {1, 2, 3}, 0, false,
       u8"按 城市 + 人口 + 区 + 街 拆分"},
      {"taken out when full", 0, {1, 2, 3}, 0, false, false, {7, 0}, "....|xxxg", {2, 3}, 0, false,
       u8"按 城市 + 区 + 街 拆分"},
      {"rows grey the columns", 0, {1}, 500, false, false, {}, "..gx|x...", {1}, 500, false, u8"每 500 行一个文件"},
      {"rows off again", 0, {1}, 500, false, false, {8}, "..gx|x...", {1}, 0, false, u8"按 城市 + 人口 拆分"},
      {"CSV on", 0, {}, 0, false, false, {5}, "....|....", {}, 0, true, u8"按 城市 拆分，导出为 CSV"},
      {"CSV greys sheets", -1, {}, 7, true, false, {}, "gxgx|.....", {}, 7, true, u8"每 7 行一个文件，导出为 CSV"},
      {"sheets grey CSV", 0, {}, 0, false, true, {}, "xg..|....", {}, 0, false, u8"按 城市 拆分"},
  };
  const auto state_of = [](const std::wstring& item) {
    return item.ends_with(L" [grey]") ? 'g' : item.find(L" [x]") != std::wstring::npos ? 'x' : '.';
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    shown.clear();
    SendMessageW(headings, CB_SETCURSEL, static_cast<WPARAM>(c.chosen), 0);
    SplitChoices& choices = window->view().session.choices;
    choices = SplitChoices{};
    choices.also_by = c.also_by;
    choices.rows_per_output = c.rows;
    choices.csv = c.csv;
    choices.into_sheets = c.into_sheets;
    chosen = c.pick;
    open_menu(Where::row_1);
    ASSERT_EQ(shown.size(), 1u);
    // Sheets, heading row, ----, keep format, into sheets, CSV, ----, further
    // columns with their items, rows.
    const std::vector<std::wstring>& menu = shown[0];
    ASSERT_GE(menu.size(), 9u);
    std::string states = {state_of(menu[4]), state_of(menu[5]), state_of(menu[7]), state_of(menu.back()), '|'};
    for (std::size_t place = 8; place + 1 < menu.size(); ++place) states += state_of(menu[place]);
    EXPECT_EQ(states, c.menu);
    EXPECT_EQ(choices.also_by, c.also_by_after);
    EXPECT_EQ(choices.rows_per_output, c.rows_after);
    EXPECT_EQ(choices.csv, c.csv_after);
    const Text line = gbk(c.line);
    EXPECT_EQ(window->view().编辑框2.text(),
              line.empty() ? Text(texts::kTipText) : texts::kTipText + Text(texts::kSplitNowLine) + line);
  }
  // Another workbook: its columns are others.
  window->fire(EventBinding::files_dropped, "Z:\\other.xlsx\r\n");
  EXPECT_TRUE(window->view().session.choices.also_by.empty());
}

TEST_F(ListMenuTest, NothingRunsWithoutAListedChoice) {
  window->run_handler([&] { open_menu(Where::row_1); });
  EXPECT_TRUE(shown.empty());
  // Other windows' menu requests are not the list's.
  SendMessageW(window->handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window->control(ControlName::编辑框1)), -1);
  EXPECT_TRUE(shown.empty());
  // Wine's menu may answer -2 when left with Esc; no sheet beyond the list.
  window->view().session.source.file_name = "Z:\\book.xlsx";
  events.sheet_names = {"A", "B"};
  for (const UINT answer : {static_cast<UINT>(-2), static_cast<UINT>(kFirstSheetCommand + 2)}) {
    answer_without_choice = answer;
    open_menu(Where::row_1);
  }
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_TRUE(events.choices.empty());
}

TEST_F(ListMenuTest, TheTipIsActiveWhileTheHeadingsLookLikeATitle) {
  const HWND tip = window->title_tip().window();
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  wchar_t text[512] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.lpszText = text;
  ASSERT_TRUE(SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_EQ(std::wstring(text), gbk_to_wide(texts::kTitleRowTip));
  EXPECT_EQ(tool.uId, reinterpret_cast<UINT_PTR>(list));
  EXPECT_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), static_cast<UINT>(TTF_IDISHWND | TTF_SUBCLASS));
  EXPECT_GT(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 0);  // multi-line
  EXPECT_FALSE(window->title_tip().active());

  // Every handler's end asks again: a drop, a menu choice.
  events.headings_look_like_a_title = true;
  window->fire(EventBinding::files_dropped, "Z:\\book.xlsx\r\n");
  EXPECT_TRUE(window->title_tip().active());
  events.headings_look_like_a_title = false;
  chosen = {4};
  open_menu(Where::row_1);
  EXPECT_EQ(events.choices, std::vector<std::string>{"into_sheets 1"});
  EXPECT_FALSE(window->title_tip().active());
  // The window's own texts stay as they were.
  EXPECT_EQ(window->view().编辑框2.text(), texts::kTipText);
}

}  // namespace
}  // namespace colsplit::win32
