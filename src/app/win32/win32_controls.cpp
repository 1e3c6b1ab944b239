#include "app/win32/win32_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "text/encoding.h"

namespace colsplit::win32 {

Text window_text(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, wide.data(), length + 1);
  wide.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return wide_to_gbk(wide);
}

void set_window_text(HWND window, const Text& text) { SetWindowTextW(window, gbk_to_wide(text).c_str()); }

// ---- Edit box ----

HWND Win32EditBox::create(const ControlPlace& place) {
  const HWND window = create_control_window(place, WC_EDITW);
  if (window) SendMessageW(window, EM_SETLIMITTEXT, 0, 0);  // 0: as long as the system allows
  return window;
}

// ---- Combo box ----

HWND Win32ComboBox::create(const ControlPlace& place) {
  const HWND window =
      create_control_window(place, WC_COMBOBOXW, std::max(place.record.geometry.height, kComboBoxMinimumCreatedHeight));
  if (!window) return nullptr;
  SendMessageW(window, CB_LIMITTEXT, 0, 0);
  const LRESULT item_height = SendMessageW(window, CB_GETITEMHEIGHT, 0, 0);
  if (item_height > 0) {
    SendMessageW(window, CB_SETITEMHEIGHT, 0, item_height + 1);
    // Wine sets the list's item height only for owner-drawn combo boxes;
    // the list itself takes it from anyone.
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    if (SendMessageW(window, CB_GETITEMHEIGHT, 0, 0) != item_height + 1 && GetComboBoxInfo(window, &parts)) {
      SendMessageW(parts.hwndList, LB_SETITEMHEIGHT, 0, item_height + 1);
    }
  }
  return window;
}

void Win32ComboBox::remove_all_items() {
  SendMessageW(window_, CB_RESETCONTENT, 0, 0);
  SetWindowTextW(window_, L"");
}

int Win32ComboBox::append_item(const Text& text, int value) {
  const std::wstring wide = gbk_to_wide(text);
  const LRESULT index = SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  if (index < 0) return -1;
  SendMessageW(window_, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(value));
  return static_cast<int>(index);
}

int Win32ComboBox::item_value(int index) const {
  if (index < 0 || index >= item_count()) return -1;
  return static_cast<int>(SendMessageW(window_, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

int Win32ComboBox::item_count() const {
  const LRESULT count = SendMessageW(window_, CB_GETCOUNT, 0, 0);
  return count < 0 ? 0 : static_cast<int>(count);
}

int Win32ComboBox::current_selection() const {
  const LRESULT selection = SendMessageW(window_, CB_GETCURSEL, 0, 0);
  return selection < 0 ? -1 : static_cast<int>(selection);
}

// ---- List view ----

HWND Win32ListView::create(const ControlPlace& place) {
  const ControlRecord& record = place.record;
  const HWND window = create_control_window(place, WC_LISTVIEWW);
  if (!window) return nullptr;
  SendMessageW(window, LVM_SETEXTENDEDLISTVIEWSTYLE, record.control_ex_style, record.control_ex_style);
  if (record.background.set()) {
    SendMessageW(window, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(record.background.value()));
    SendMessageW(window, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(record.background.value()));
  }
  if (record.text_colour.set()) {
    SendMessageW(window, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(record.text_colour.value()));
  }
  return window;
}

bool Win32ListView::set_cell_text(int row, int column, const Text& text) {
  if (!table_.set_cell(row, column, text)) return false;
  stale_ = true;
  return true;
}

int Win32ListView::insert_row(std::optional<int> index, const Text& first_cell) {
  stale_ = true;
  return table_.insert_row(index, first_cell);
}

void Win32ListView::delete_all_rows() {
  table_.delete_all_rows();
  stale_ = true;
  sync();
}

void Win32ListView::delete_rows(int first, int count) {
  table_.delete_rows(first, count);
  stale_ = true;
  sync();
}

bool Win32ListView::set_column_heading(int column, const Text& heading) {
  if (!table_.set_column_heading(column, heading)) return false;
  std::wstring text = gbk_to_wide(heading);
  LVCOLUMNW definition{};
  definition.mask = LVCF_TEXT;
  definition.pszText = text.data();
  SendMessageW(window_, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&definition));
  return true;
}

void Win32ListView::insert_header_column(int at, const ColumnDefinition& definition) {
  static constexpr int kFormats[] = {LVCFMT_LEFT, LVCFMT_CENTER, LVCFMT_RIGHT};
  std::wstring heading = gbk_to_wide(definition.heading);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = kFormats[std::clamp(static_cast<int>(definition.alignment), 0, 2)];
  column.cx = definition.width;
  column.pszText = heading.data();
  column.iSubItem = at;
  SendMessageW(window_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&column));
}

int Win32ListView::insert_column(std::optional<int> index, const Text& heading, std::optional<int> width,
                                 ColumnAlignment alignment) {
  const ColumnDefinition definition{heading, normalise_column_width(width), alignment};
  hold_redraw();
  const int at = table_.insert_column(index, definition);
  insert_header_column(at, definition);
  stale_ = true;
  return at;
}

bool Win32ListView::delete_column(int column) {
  if (!table_.delete_column(column)) return false;
  hold_redraw();
  SendMessageW(window_, LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0);
  stale_ = true;
  return true;
}

void Win32ListView::replace_column_set(const std::vector<ColumnDefinition>& columns) {
  table_.replace_columns(columns);
  hold_redraw();
  SendMessageW(window_, LVM_SETITEMCOUNT, 0, 0);
  shown_rows_ = 0;
  const HWND header = reinterpret_cast<HWND>(SendMessageW(window_, LVM_GETHEADER, 0, 0));
  for (LRESULT count = SendMessageW(header, HDM_GETITEMCOUNT, 0, 0); count > 0; --count) {
    SendMessageW(window_, LVM_DELETECOLUMN, static_cast<WPARAM>(count - 1), 0);
  }
  for (int at = 0; at < table_.column_count(); ++at) insert_header_column(at, *table_.column(at));
  stale_ = true;
  sync();
}

void Win32ListView::hold_redraw() {
  if (redraw_held_) return;
  redraw_held_ = true;
  SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
}

void Win32ListView::sync() {
  if (redraw_held_) {
    // The list view sets its scroll bars for all the column changes at once.
    // Redrawing turned back on repaints nothing by itself: the frame (the
    // scroll bars) and the header are painted anew with the rows.
    redraw_held_ = false;
    SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  if (!stale_) return;
  stale_ = false;
  // A new row count costs the list view its scroll bars' update and repaint
  // (several milliseconds under Wine): only a changed one is handed over.
  if (table_.row_count() != shown_rows_) {
    shown_rows_ = table_.row_count();
    SendMessageW(window_, LVM_SETITEMCOUNT, static_cast<WPARAM>(shown_rows_), LVSICF_NOSCROLL);
  }
  InvalidateRect(window_, nullptr, FALSE);
}

void Win32ListView::fill_display_info(NMLVDISPINFOW& info) {
  if (!(info.item.mask & LVIF_TEXT)) return;
  // The list view copies or draws the text before it asks again, so one
  // buffer per list view is enough.
  display_buffer_ = gbk_to_wide(table_.cell(info.item.iItem, info.item.iSubItem));
  info.item.pszText = display_buffer_.data();
}

// ---- Progress bar ----

HWND Win32ProgressBar::create(const ControlPlace& place) { return create_control_window(place, PROGRESS_CLASSW); }

Win32ProgressBar::Win32ProgressBar(HWND window, std::function<bool()> busy, std::function<void()> keep_painting)
    : window_(window), busy_(std::move(busy)), keep_painting_(std::move(keep_painting)) {
  sync();
}

void Win32ProgressBar::set_maximum(int maximum) {
  range_.set_maximum(maximum);
  sync();
}

void Win32ProgressBar::set_position(int position) {
  range_.set_position(position);
  if (!busy_ || !busy_()) {
    SendMessageW(window_, PBM_SETPOS, static_cast<WPARAM>(range_.position()), 0);
    return;
  }
  // Counted from the end of the last refresh, and never less than three
  // times what that refresh took: on a slow display the handler still gets
  // three quarters of the time.
  const DWORD now = GetTickCount();
  if (now - last_refresh_end_ < refresh_gap_) return;
  sync();
  if (keep_painting_) keep_painting_();
  last_refresh_end_ = GetTickCount();
  refresh_gap_ = std::max(kBusyRefreshMilliseconds, 3 * (last_refresh_end_ - now));
}

void Win32ProgressBar::sync() {
  SendMessageW(window_, PBM_SETRANGE32, 0, static_cast<LPARAM>(range_.maximum()));
  SendMessageW(window_, PBM_SETPOS, static_cast<WPARAM>(range_.position()), 0);
}

}  // namespace colsplit::win32
