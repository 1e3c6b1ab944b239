#include "export/workbook_saver.h"

#include <utility>

namespace colsplit {

void WorkbookSaver::Batch::save_untaken() {
  for (std::size_t i = next.fetch_add(1); i < workbooks.size(); i = next.fetch_add(1)) {
    saved[i] = workbooks[i]->save(paths[i]) ? 1 : 0;
  }
}

WorkbookSaver::~WorkbookSaver() {
  // Only waits: unwinding saves nothing more, but the worker must be done
  // with the batch before it is released.
  if (running_) worker_.finish();
}

void WorkbookSaver::add(std::unique_ptr<FilledFile> workbook, const Text& path) {
  const long long cells = workbook->cell_count();
  // A large workbook saves alone, beside the next group's filling.
  const bool alone = workbook->complete() && cells >= kCellsSavedBeside;
  if (alone) start_filled();
  if (!filling_) filling_ = std::make_unique<Batch>();
  filling_->workbooks.push_back(std::move(workbook));
  filling_->paths.push_back(path);
  filling_->saved.push_back(0);
  filling_->cells += cells;
  if (alone || filling_->workbooks.size() >= kBatchWorkbooks || filling_->cells >= kBatchCells) start_filled();
}

void WorkbookSaver::finish() {
  start_filled();
  finish_running();
}

void WorkbookSaver::start_filled() {
  finish_running();
  if (!filling_) return;
  running_ = std::move(filling_);
  running_shared_ = running_->cells < kCellsSavedBeside || running_->workbooks.size() > 1;
  Batch* const batch = running_.get();
  worker_.start([batch] { batch->save_untaken(); });
}

void WorkbookSaver::finish_running() {
  if (!running_) return;
  // A large workbook is left to the worker, which lets the window paint
  // while the caller waits; small ones that it has not begun are saved here.
  if (running_shared_) running_->save_untaken();
  worker_.finish();
  for (std::size_t i = 0; i < running_->workbooks.size(); ++i) {
    (running_->saved[i] ? written_ : unsaved_).push_back(running_->paths[i]);
  }
  running_.reset();
}

}  // namespace colsplit
