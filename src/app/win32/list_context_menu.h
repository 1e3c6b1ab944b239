// The preview list's context menu: where a WM_CONTEXTMENU of the list
// points, and the popup menu built from what it offers at that moment. The
// menu is made fresh for every opening, so that no state of it can go stale.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "text/text.h"

namespace colsplit::win32 {

// What the menu offers when it opens.
struct ListMenuContent {
  bool workbook_loaded = false;
  std::vector<Text> sheet_names;  // of the shown workbook, in tab order
  int shown_sheet = 0;
  bool row_clicked = false;  // on a row, not on the header nor below the last row
  bool keep_format = false;
  bool into_sheets = false;
  bool csv = false;
  // The list's column titles, the column chosen in the heading box (-1:
  // none) and the further split columns.
  std::vector<Text> headings;
  int chosen_column = -1;
  std::vector<int> also_by;
  int rows_per_output = 0;
};

// The items' commands, as TrackPopupMenu answers them; 0 is none chosen.
// A further split column's command is kFirstAlsoByCommand plus its list
// column, a sheet's kFirstSheetCommand plus its index.
enum ListMenuCommand : UINT {
  kSetHeadingRowCommand = 1,
  kKeepFormatCommand = 2,
  kIntoSheetsCommand = 3,
  kCsvCommand = 4,
  kRowsPerOutputCommand = 5,
  kFirstAlsoByCommand = 0x100,
  kFirstSheetCommand = 0x200,
};

// A sheet may have thousands of columns: the further split submenu lists
// the first ones, as many as their commands have room for.
inline constexpr int kMostAlsoByItems = kFirstSheetCommand - kFirstAlsoByCommand;

// The popup menu (the caller destroys it); null when the system gives none.
HMENU build_list_menu(const ListMenuContent& content);

// A sheet's or a column's item: "&1 NAME" … "&9 NAME", the later ones the
// name alone. The menu would take a '&' of the name for a key: it is doubled.
std::wstring sheet_item_text(std::size_t index, const Text& name);

// The row a WM_CONTEXTMENU of the list acts on (-1: none) and the screen
// point where the menu opens.
struct ListMenuPlace {
  int row = -1;
  POINT at{};
};

// `source` is the window the message names (the list, or its header);
// `position` its screen point, or -1, -1 from the keyboard, which acts on
// the selected row.
ListMenuPlace place_list_menu(HWND list, HWND source, LPARAM position);

// Shows the menu at a screen point until the user chooses or dismisses it;
// the chosen command.
UINT track_list_menu(HMENU menu, HWND owner, POINT at);

}  // namespace colsplit::win32
