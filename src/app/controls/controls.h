// The operations that the handlers perform on the controls of the main
// window. Two implementations exist: the real Win32 controls (src/app/win32)
// and the in-memory ones (src/app/memory) that colsplit-cli and the tests use;
// both behave alike. Every index is zero-based.
#pragma once

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "app/controls/split_session.h"
#include "text/text.h"

namespace colsplit {

class EditBox {
 public:
  virtual ~EditBox() = default;
  virtual Text text() const = 0;
  virtual void set_text(const Text& text) = 0;
};

class ComboBox {
 public:
  virtual ~ComboBox() = default;
  // Empties the list; the selection becomes none and the text field empty.
  virtual void remove_all_items() = 0;
  // Adds an item at the end with its item value; the new index, or -1 when
  // the list refuses the item.
  virtual int append_item(const Text& text, int value) = 0;
  // The value stored with an item; -1 for an index outside the list.
  virtual int item_value(int index) const = 0;
  virtual int item_count() const = 0;
  // Index of the selected item, or -1.
  virtual int current_selection() const = 0;
  // The current text of the text field.
  virtual Text displayed_text() const = 0;
};

enum class ColumnAlignment { left = 0, centred = 1, right = 2 };

struct ColumnDefinition {
  Text heading;
  int width = 50;
  ColumnAlignment alignment = ColumnAlignment::left;
};

class ListView {
 public:
  static constexpr int kDefaultColumnWidth = 50;
  // Headings are read through a buffer of 1024 bytes: at most 1023 come back.
  static constexpr std::size_t kMaxHeadingBytes = 1023;

  virtual ~ListView() = default;
  virtual int row_count() const = 0;
  virtual int column_count() const = 0;
  // The heading, cut to kMaxHeadingBytes; empty for a column that does not exist.
  virtual Text column_heading(int column) const = 0;
  // The whole text of a cell; empty when the cell has no text or does not exist.
  virtual Text cell_text(int row, int column) const = 0;
  // Replaces the text of a cell of an existing row and column.
  virtual bool set_cell_text(int row, int column, const Text& text) = 0;
  // Inserts a row at `index`, or after the last row when `index` is missing,
  // negative or beyond the end; its first cell gets `first_cell`. Returns the
  // new row's index.
  virtual int insert_row(std::optional<int> index, const Text& first_cell) = 0;
  virtual void delete_all_rows() = 0;
  // Inserts a column at `index` (after the last when missing, negative or
  // beyond the end); width 50 when missing, 0 when negative. Returns its index.
  virtual int insert_column(std::optional<int> index, const Text& heading, std::optional<int> width,
                            ColumnAlignment alignment) = 0;
  virtual bool delete_column(int column) = 0;
  // Rebuilds the list view with exactly these columns and no rows.
  virtual void replace_column_set(const std::vector<ColumnDefinition>& columns) = 0;
  // Replaces the heading of an existing column.
  virtual bool set_column_heading(int column, const Text& heading) = 0;
  // Removes `count` rows from `first` on (those that exist); the rows after
  // them move up.
  virtual void delete_rows(int first, int count) = 0;

  // Conveniences for the common forms.
  int append_row() { return insert_row(std::nullopt, Text()); }
  int append_column(const Text& heading) {
    return insert_column(std::nullopt, heading, kDefaultColumnWidth, ColumnAlignment::left);
  }
};

class ProgressBar {
 public:
  static constexpr int kLargestValue = 32767;
  virtual ~ProgressBar() = default;
  // Clamped to 0 … 32767; the position is then clamped into the new range.
  virtual void set_maximum(int maximum) = 0;
  // Clamped to 0 … 32767 and then into 0 … maximum.
  virtual void set_position(int position) = 0;
  virtual int maximum() const = 0;
  virtual int position() const = 0;
};

// What a progress bar shows, with the clamps of its operations: both
// progress bars keep one.
class BarRange {
 public:
  void set_maximum(int maximum) {
    maximum_ = std::clamp(maximum, 0, ProgressBar::kLargestValue);
    position_ = std::min(position_, maximum_);
  }
  void set_position(int position) {
    position_ = std::clamp(std::clamp(position, 0, ProgressBar::kLargestValue), 0, maximum_);
  }
  int maximum() const { return maximum_; }
  int position() const { return position_; }

 private:
  int maximum_ = 100;
  int position_ = 0;
};

// Runs a long step that reports no progress of its own (the library reading
// or saving a whole workbook) so that the window keeps painting meanwhile,
// as it does between two positions of the bar. The step only computes: it
// touches no control, and a fatal error raised in it is reported as if it
// had been raised here, once the step has ended. Without a window the step
// is simply called.
class Worker {
 public:
  virtual ~Worker() = default;
  // Runs the step and returns when it has ended.
  virtual void run(const std::function<void()>& step) = 0;
  // Starts the step beside the caller, which goes on with work of its own
  // (the next group's rows while a workbook is saved); finish() waits for
  // it. One step at a time: start() first finishes the one before. The step
  // shares nothing with the caller's work until finish() has returned, and
  // its fatal error is reported by finish(), as run() reports one.
  virtual void start(std::function<void()> step) = 0;
  // Waits for the started step, if any; at once when none runs.
  virtual void finish() = 0;
};

// The position that shows `step` of `count` steps on a bar whose maximum was
// set to `count`: the step itself while count fits the bar's range, beyond
// that the step scaled onto 0 … 32767, so that a bar of a million rows is
// full at the last row, not at row 32767.
inline int bar_position(int step, int count) {
  if (count <= ProgressBar::kLargestValue || count <= 0) return step;
  return static_cast<int>(static_cast<long long>(step) * ProgressBar::kLargestValue / count);
}

// Message boxes and the folder dialog.
class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // A message box with one OK button and the caption "信息：", task-modal.
  virtual void show_message(const Text& message) = 0;
  // The folder-browse dialog with the given title; the chosen folder's
  // file-system path, or nothing when the user cancelled.
  virtual std::optional<Text> choose_folder(const Text& title) = 0;
};

struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // The current local date and time, at whole seconds.
  virtual LocalTime now() = 0;
};

// What the handlers see of the main window: its controls by their names,
// the dialogs, the clock, the worker, and what the window keeps beyond its
// controls while it is open.
struct MainWindow {
  EditBox& 编辑框1;
  EditBox& 编辑框2;
  ComboBox& 组合框1;
  ListView& 超级列表框1;
  ListView& 超级列表框2;
  ProgressBar& 进度条1;
  UserDialogs& dialogs;
  Clock& clock;
  Worker& worker;
  SplitSession& session;
};

}  // namespace colsplit
