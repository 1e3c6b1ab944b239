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

void ThreadWorker::start(std::function<void()> step) {
  finish();
  try {
    // An exception escaping the step ends in the report, as on the caller's
    // thread; nothing unwinds out of the thread.
    thread_ = std::thread([step] { report_escaping_exceptions(step); });
  } catch (const std::system_error&) {
    step();
  }
}

void ThreadWorker::finish() {
  if (thread_.joinable()) thread_.join();
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
