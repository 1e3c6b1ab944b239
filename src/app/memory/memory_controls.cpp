#include "app/memory/memory_controls.h"

#include <ctime>
#include <system_error>

#include "app/runtime_error/runtime_error_report.h"

namespace colsplit {

void MemoryComboBox::remove_all_items() {
  items_.clear();
  selection_ = -1;
  displayed_.clear();
}

int MemoryComboBox::append_item(const Text& text, int value) {
  items_.emplace_back(text, value);
  return static_cast<int>(items_.size()) - 1;
}

int MemoryComboBox::item_value(int index) const {
  if (index < 0 || index >= item_count()) return -1;
  return items_[static_cast<std::size_t>(index)].second;
}

bool MemoryComboBox::select(int index) {
  if (index < 0 || index >= item_count()) return false;
  selection_ = index;
  displayed_ = items_[static_cast<std::size_t>(index)].first;
  return true;
}

Text MemoryComboBox::item_text(int index) const {
  if (index < 0 || index >= item_count()) return {};
  return items_[static_cast<std::size_t>(index)].first;
}

int MemoryListView::insert_column(std::optional<int> index, const Text& heading, std::optional<int> width,
                                  ColumnAlignment alignment) {
  return table_.insert_column(index, ColumnDefinition{heading, normalise_column_width(width), alignment});
}

void MemoryProgressBar::set_maximum(int maximum) {
  range_.set_maximum(maximum);
  if (listener_) listener_(range_.position(), range_.maximum());
}

void MemoryProgressBar::set_position(int position) {
  range_.set_position(position);
  if (listener_) listener_(range_.position(), range_.maximum());
}

ThreadWorker::~ThreadWorker() {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard lock(lock_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void ThreadWorker::start(std::function<void()> step) {
  finish();
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { serve(); });
    } catch (const std::system_error&) {
      return step();
    }
  }
  {
    const std::lock_guard lock(lock_);
    step_ = std::move(step);
  }
  changed_.notify_all();
}

void ThreadWorker::finish() {
  std::unique_lock lock(lock_);
  changed_.wait(lock, [&] { return !step_; });
}

void ThreadWorker::serve() {
  std::unique_lock lock(lock_);
  for (;;) {
    changed_.wait(lock, [&] { return step_ || stopping_; });
    if (!step_) return;
    lock.unlock();
    // An exception escaping the step ends in the report, as on the caller's
    // thread; nothing unwinds out of the thread.
    report_escaping_exceptions(step_);
    lock.lock();
    step_ = nullptr;
    changed_.notify_all();
  }
}

LocalTime SystemClock::now() {
  const std::time_t seconds = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace colsplit
