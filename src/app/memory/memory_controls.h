// In-memory controls: the main window without a window, for colsplit-cli and
// the tests. They behave as the Win32 controls do.
#pragma once

#include <functional>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "app/controls/cell_table.h"
#include "app/controls/controls.h"

namespace colsplit {

class MemoryEditBox final : public EditBox {
 public:
  Text text() const override { return text_; }
  void set_text(const Text& text) override { text_ = text; }

 private:
  Text text_;
};

class MemoryComboBox final : public ComboBox {
 public:
  void remove_all_items() override;
  int append_item(const Text& text, int value) override;
  int item_value(int index) const override;
  int item_count() const override { return static_cast<int>(items_.size()); }
  int current_selection() const override { return selection_; }
  Text displayed_text() const override { return displayed_; }

  // What a user does: pick an item (its text shows in the field), or type.
  bool select(int index);
  void type_text(const Text& text) { displayed_ = text; }
  Text item_text(int index) const;

 private:
  std::vector<std::pair<Text, int>> items_;
  int selection_ = -1;
  Text displayed_;
};

class MemoryListView final : public ListView {
 public:
  int row_count() const override { return table_.row_count(); }
  int column_count() const override { return table_.column_count(); }
  Text column_heading(int column) const override { return table_.column_heading(column); }
  Text cell_text(int row, int column) const override { return Text(table_.cell(row, column)); }
  bool set_cell_text(int row, int column, const Text& text) override { return table_.set_cell(row, column, text); }
  int insert_row(std::optional<int> index, const Text& first_cell) override {
    return table_.insert_row(index, first_cell);
  }
  void delete_all_rows() override { table_.delete_all_rows(); }
  int insert_column(std::optional<int> index, const Text& heading, std::optional<int> width,
                    ColumnAlignment alignment) override;
  bool delete_column(int column) override { return table_.delete_column(column); }
  void replace_column_set(const std::vector<ColumnDefinition>& columns) override { table_.replace_columns(columns); }
  bool set_column_heading(int column, const Text& heading) override {
    return table_.set_column_heading(column, heading);
  }
  void delete_rows(int first, int count) override { table_.delete_rows(first, count); }

  const CellTable& table() const { return table_; }

 private:
  CellTable table_;
};

class MemoryProgressBar : public ProgressBar {
 public:
  void set_maximum(int maximum) override;
  void set_position(int position) override;
  int maximum() const override { return range_.maximum(); }
  int position() const override { return range_.position(); }

  // Called after every change, for a bar drawn elsewhere (colsplit-cli).
  void on_change(std::function<void(int position, int maximum)> listener) { listener_ = std::move(listener); }

 private:
  BarRange range_;
  std::function<void(int, int)> listener_;
};

// Without a window there is nothing to keep painting: every step runs here,
// a started one too, at once (the tests' worker: calls stay in one order).
class InlineWorker final : public Worker {
 public:
  void run(const std::function<void()>& step) override { step(); }
  void start(std::function<void()> step) override { step(); }
  void finish() override {}
};

// colsplit-cli's worker: steps run in place, but a started step runs on a
// thread of the worker's own (made at the first start, kept for the next),
// so that a save uses the second core while the caller fills the next
// workbook. Where no thread can be had, it runs in place.
class ThreadWorker final : public Worker {
 public:
  ThreadWorker() = default;
  ThreadWorker(const ThreadWorker&) = delete;
  ThreadWorker& operator=(const ThreadWorker&) = delete;
  ~ThreadWorker() override;

  void run(const std::function<void()>& step) override { step(); }
  void start(std::function<void()> step) override;
  void finish() override;

 private:
  void serve();

  std::mutex lock_;
  std::condition_variable changed_;
  std::function<void()> step_;  // started, not yet ended
  bool stopping_ = false;
  std::thread thread_;
};

// The main window's controls in memory, with stand-ins for the dialogs and
// the clock that the owner sets up, and a worker: the one given, else one
// that runs steps in place.
class MemoryMainWindow {
 public:
  MemoryMainWindow(UserDialogs& dialogs, Clock& clock, Worker* worker = nullptr)
      : dialogs_(dialogs), clock_(clock), worker_(worker ? *worker : inline_worker_) {}

  MainWindow view() {
    return MainWindow{编辑框1, 编辑框2, 组合框1, 超级列表框1, 超级列表框2, 进度条1, dialogs_, clock_, worker_, session};
  }

  MemoryEditBox 编辑框1;
  MemoryEditBox 编辑框2;
  MemoryComboBox 组合框1;
  MemoryListView 超级列表框1;
  MemoryListView 超级列表框2;
  MemoryProgressBar 进度条1;
  SplitSession session;

 private:
  UserDialogs& dialogs_;
  Clock& clock_;
  InlineWorker inline_worker_;
  Worker& worker_;
};

// The local time of the machine's clock.
class SystemClock final : public Clock {
 public:
  LocalTime now() override;
};

}  // namespace colsplit
