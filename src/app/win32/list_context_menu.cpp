#include "app/win32/list_context_menu.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "app/controls/split_choice_rules.h"
#include "text/encoding.h"
#include "text/texts.h"

namespace colsplit::win32 {

namespace {

// The further split submenu's place: after the sheets, the heading row, a
// separator, the three output switches and another separator.
constexpr int kAlsoByPlace = 7;

UINT state(bool checked, bool greyed) { return (checked ? MFS_CHECKED : 0) | (greyed ? MFS_GRAYED : 0); }

bool append(HMENU menu, UINT command, std::wstring text, UINT item_state, UINT type = MFT_STRING,
            HMENU submenu = nullptr) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE | (submenu ? MIIM_SUBMENU : 0);
  info.fType = type;
  info.fState = item_state;
  info.wID = command;
  info.hSubMenu = submenu;
  info.dwTypeData = text.data();
  return InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info) != 0;
}

bool append_separator(HMENU menu) { return AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) != 0; }

HMENU build_sheet_menu(const ListMenuContent& content) {
  const HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  for (std::size_t index = 0; index < content.sheet_names.size(); ++index) {
    const bool shown = static_cast<int>(index) == content.shown_sheet;
    // One of a group of which one is shown: a bullet, not a tick.
    append(menu, static_cast<UINT>(kFirstSheetCommand + index), sheet_item_text(index, content.sheet_names[index]),
           state(shown, false), MFT_RADIOCHECK);
  }
  return menu;
}

// The columns besides the chosen one, each checked while chosen; once
// SplitChoices::kMostAlsoBy are, the others are greyed. (The item that opens
// the submenu is greyed while no heading is chosen or the rows are split by
// count.)
HMENU build_also_by_menu(const ListMenuContent& content) {
  const HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  const bool full = content.also_by.size() >= SplitChoices::kMostAlsoBy;
  const std::vector<int> columns =
      also_by_candidates(static_cast<int>(content.headings.size()), content.chosen_column, kMostAlsoByItems);
  for (std::size_t place = 0; place < columns.size(); ++place) {
    const int column = columns[place];
    const bool chosen =
        std::find(content.also_by.begin(), content.also_by.end(), column) != content.also_by.end();
    append(menu, static_cast<UINT>(kFirstAlsoByCommand + column),
           sheet_item_text(place, content.headings[static_cast<std::size_t>(column)]), state(chosen, full && !chosen));
  }
  return menu;
}

// The header lies over the top of the list's client area: a row scrolled
// up beneath it must not count as clicked.
bool on_header(HWND list, POINT screen_point) {
  const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  RECT header_rect{};
  return header && (GetWindowLongW(header, GWL_STYLE) & WS_VISIBLE) && GetWindowRect(header, &header_rect) &&
         PtInRect(&header_rect, screen_point);
}

// From the keyboard the menu opens under the selected row while it is in
// sight, else at the list's top left corner.
POINT keyboard_point(HWND list, int row) {
  RECT client{};
  GetClientRect(list, &client);
  POINT at{client.left, client.top};
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  if (row >= 0 && SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds)) &&
      bounds.bottom > client.top && bounds.bottom <= client.bottom) {
    at.y = bounds.bottom;
  }
  ClientToScreen(list, &at);
  return at;
}

}  // namespace

std::wstring sheet_item_text(std::size_t index, const Text& name) {
  constexpr std::size_t kKeyedItems = 9;
  std::wstring text = index < kKeyedItems ? L"&" + std::to_wstring(index + 1) + L" " : std::wstring();
  for (const wchar_t character : gbk_to_wide(name)) {
    if (character == L'&') text += L'&';
    text += character;
  }
  return text;
}

HMENU build_list_menu(const ListMenuContent& content) {
  const HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  const HMENU sheets = build_sheet_menu(content);
  const HMENU also_by = build_also_by_menu(content);
  const bool one_sheet_or_none = !content.workbook_loaded || content.sheet_names.size() < 2;
  const bool by_rows = content.rows_per_output > 0;
  // A CSV file holds one table: it cannot be a workbook of sheets.
  const bool built =
      sheets && also_by &&
      append(menu, 0, gbk_to_wide(texts::kMenuSheets), state(false, one_sheet_or_none), MFT_STRING, sheets) &&
      append(menu, kSetHeadingRowCommand, gbk_to_wide(texts::kMenuSetHeadingRow),
             state(false, !content.workbook_loaded || !content.row_clicked)) &&
      append_separator(menu) &&
      append(menu, kKeepFormatCommand, gbk_to_wide(texts::kMenuKeepFormat), state(content.keep_format, false)) &&
      append(menu, kIntoSheetsCommand, gbk_to_wide(texts::kMenuIntoSheets),
             state(content.into_sheets, content.csv)) &&
      append(menu, kCsvCommand, gbk_to_wide(texts::kMenuCsv), state(content.csv, content.into_sheets)) &&
      append_separator(menu) &&
      append(menu, 0, gbk_to_wide(texts::kMenuAlsoBy), state(false, content.chosen_column < 0 || by_rows),
             MFT_STRING, also_by) &&
      append(menu, kRowsPerOutputCommand, gbk_to_wide(texts::kMenuRowsPerOutput), state(by_rows, false));
  if (!built) {
    // A submenu not yet attached is not destroyed with the menu.
    if (sheets && GetSubMenu(menu, 0) != sheets) DestroyMenu(sheets);
    if (also_by && GetSubMenu(menu, kAlsoByPlace) != also_by) DestroyMenu(also_by);
    DestroyMenu(menu);
    return nullptr;
  }
  return menu;
}

ListMenuPlace place_list_menu(HWND list, HWND source, LPARAM position) {
  ListMenuPlace place;
  const POINT point{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  if (point.x == -1 && point.y == -1) {
    place.row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    place.at = keyboard_point(list, place.row);
    return place;
  }
  place.at = point;
  if (source != list || on_header(list, point)) return place;
  LVHITTESTINFO hit{};
  hit.pt = point;
  ScreenToClient(list, &hit.pt);
  const auto row = static_cast<int>(SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (row >= 0 && (hit.flags & LVHT_ONITEM)) place.row = row;
  return place;
}

UINT track_list_menu(HMENU menu, HWND owner, POINT at) {
  return static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
}

}  // namespace colsplit::win32
