// The control operations on real Win32 controls. They behave exactly as the
// in-memory controls do: the same clamps, the same -1 answers, the same
// heading cut. Each kind also creates its control window from its record of
// the window definition (create), with the set-up that is its own.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "app/controls/cell_table.h"
#include "app/controls/controls.h"
#include "app/win32/control_window.h"

namespace colsplit::win32 {

// A control's whole text through the wide API, as GBK.
Text window_text(HWND window);
void set_window_text(HWND window, const Text& text);

class Win32EditBox final : public EditBox {
 public:
  // Takes texts as long as the system allows.
  static HWND create(const ControlPlace& place);

  explicit Win32EditBox(HWND window) : window_(window) {}
  Text text() const override { return window_text(window_); }
  void set_text(const Text& text) override { set_window_text(window_, text); }

 private:
  HWND window_;
};

class Win32ComboBox final : public ComboBox {
 public:
  // At least kComboBoxMinimumCreatedHeight tall, so that its list has room;
  // texts of any length; items a pixel taller than the system's.
  static HWND create(const ControlPlace& place);

  explicit Win32ComboBox(HWND window) : window_(window) {}
  void remove_all_items() override;
  int append_item(const Text& text, int value) override;
  int item_value(int index) const override;
  int item_count() const override;
  int current_selection() const override;
  Text displayed_text() const override { return window_text(window_); }

 private:
  HWND window_;
};

// A virtual list view (LVS_OWNERDATA): the texts live in a CellTable and
// reach the screen through LVN_GETDISPINFOW, so that filling it costs no
// window message per cell. The control learns the row count lazily: once
// per sync(), not once per inserted row. Column changes, too, reach the
// screen at the next sync(): until then the control does not redraw (see
// hold_redraw).
class Win32ListView final : public ListView {
 public:
  // With the record's extended list-view styles and colours.
  static HWND create(const ControlPlace& place);

  explicit Win32ListView(HWND window) : window_(window) {}

  int row_count() const override { return table_.row_count(); }
  int column_count() const override { return table_.column_count(); }
  Text column_heading(int column) const override { return table_.column_heading(column); }
  Text cell_text(int row, int column) const override { return Text(table_.cell(row, column)); }
  bool set_cell_text(int row, int column, const Text& text) override;
  int insert_row(std::optional<int> index, const Text& first_cell) override;
  void delete_all_rows() override;
  int insert_column(std::optional<int> index, const Text& heading, std::optional<int> width,
                    ColumnAlignment alignment) override;
  bool delete_column(int column) override;
  void replace_column_set(const std::vector<ColumnDefinition>& columns) override;
  bool set_column_heading(int column, const Text& heading) override;
  void delete_rows(int first, int count) override;

  // Brings the control's row count and picture up to the table, scroll bars
  // included.
  void sync();
  // Answers LVN_GETDISPINFOW for this list view.
  void fill_display_info(NMLVDISPINFOW& info);

  HWND window() const { return window_; }

 private:
  void insert_header_column(int at, const ColumnDefinition& definition);
  // Stops the control's redrawing until the next sync(). Once the columns
  // are wider than the control, the list view recomputes and repaints its
  // horizontal scroll bar on every inserted or deleted column (10 ms or
  // more each under Wine: 0.1 to 0.4 s for a sheet of 20 columns and their
  // copy in the staging list); held, it does so once, at the sync.
  void hold_redraw();

  HWND window_;
  CellTable table_;
  bool stale_ = false;
  bool redraw_held_ = false;
  int shown_rows_ = 0;  // the row count the control was last given
  std::wstring display_buffer_;
};

// The progress bar. While a handler runs (`busy` answers true) a position is
// handed to the control at most every kBusyRefreshMilliseconds (longer when
// painting is slow), together with a call of `keep_painting`, so that a
// handler that sets the position once per row pays next to nothing per call.
class Win32ProgressBar final : public ProgressBar {
 public:
  static constexpr DWORD kBusyRefreshMilliseconds = 30;

  static HWND create(const ControlPlace& place);

  Win32ProgressBar(HWND window, std::function<bool()> busy, std::function<void()> keep_painting);

  void set_maximum(int maximum) override;
  void set_position(int position) override;
  int maximum() const override { return range_.maximum(); }
  int position() const override { return range_.position(); }

  // Hands the current range and position to the control.
  void sync();

 private:
  HWND window_;
  std::function<bool()> busy_;
  std::function<void()> keep_painting_;
  BarRange range_;
  DWORD last_refresh_end_ = 0;
  DWORD refresh_gap_ = 0;
};

}  // namespace colsplit::win32
