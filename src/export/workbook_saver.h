// Where the export's workbooks are saved, decided in this one place, on both
// cores while the caller fills the next ones. A large workbook saves alone
// on the worker beside the next group's filling, and the caller never saves
// one itself, so that the window keeps painting while it waits; small ones
// (thousands of them when a column holds as many values) go in batches: a
// batch saves on the worker while the caller fills the next batch, and then
// the caller takes the batch's workbooks the worker has not begun and saves
// them itself, so that a small workbook costs neither a hand-over of its
// own nor a core left idle. Results come in the order the workbooks were
// added.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "app/controls/controls.h"
#include "export/filled_file.h"

namespace colsplit {

class WorkbookSaver {
 public:
  // From this many cells on, a workbook is large: it saves alone on the
  // worker. Below it, handing it to another thread and back costs more
  // than saving it beside the next one gains.
  static constexpr long long kCellsSavedBeside = 4096;
  // A batch holds at most this many workbooks, or the workbooks of at most
  // this many cells: a few milliseconds of saving, so that the hand-over
  // costs nothing beside it and the memory held stays small.
  static constexpr std::size_t kBatchWorkbooks = 64;
  static constexpr long long kBatchCells = 65536;

  explicit WorkbookSaver(Worker& worker) : worker_(worker) {}
  // Waits for a batch still saving; what finish() did not save is not saved.
  ~WorkbookSaver();
  WorkbookSaver(const WorkbookSaver&) = delete;
  WorkbookSaver& operator=(const WorkbookSaver&) = delete;

  // Takes a filled workbook (or CSV file) to be saved to `path`; an
  // incomplete one is never saved and is listed as unsaved in its turn. It
  // is released once its result is taken.
  void add(std::unique_ptr<FilledFile> workbook, const Text& path);
  // Saves every workbook added and waits for them; written() and unsaved()
  // then list every path, each in the order the workbooks were added.
  void finish();

  const std::vector<Text>& written() const { return written_; }
  const std::vector<Text>& unsaved() const { return unsaved_; }

 private:
  struct Batch {
    std::vector<std::unique_ptr<FilledFile>> workbooks;
    std::vector<Text> paths;
    std::vector<char> saved;  // by workbook, written by whoever saved it
    long long cells = 0;
    // The next workbook not yet taken: the worker and, for a batch of small
    // workbooks, the caller take them one at a time.
    std::atomic<std::size_t> next{0};
    void save_untaken();
  };
  // Starts the filled batch on the worker, once the running one is done.
  void start_filled();
  // Waits for the running batch (saving its untaken small workbooks here)
  // and takes its results.
  void finish_running();

  Worker& worker_;
  std::unique_ptr<Batch> filling_;
  std::unique_ptr<Batch> running_;
  bool running_shared_ = false;  // the running batch is small workbooks
  std::vector<Text> written_;
  std::vector<Text> unsaved_;
};

}  // namespace colsplit
