// A stand-in for the spreadsheet library, bound into the program's rows of
// library functions, that logs every call with its arguments, serves a
// source sheet to loads and keeps what each save would have written.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/controls/controls.h"
#include "app/memory/memory_controls.h"

namespace colsplit::testing {

// A sheet of texts: rows of cells, a missing cell or nullopt is "no string".
using SourceSheet = std::vector<std::vector<std::optional<std::string>>>;

struct SavedWorkbook {
  std::string path;
  std::string sheet_name;
  std::map<std::pair<int, int>, std::optional<std::string>> cells;  // (row, column) -> text, nullopt = null
  std::vector<std::string> column_widths;   // "first-last:width", as set
  std::vector<std::string> ignored_errors;  // "row,column:row,column flags", as added
  // The rows as texts, row 0 the header; `columns` wide.
  std::vector<std::vector<std::string>> grid(int columns) const;
};

class RecordingLibrary {
 public:
  // Binds every row of the library to this stand-in; only one at a time.
  RecordingLibrary();
  ~RecordingLibrary();
  RecordingLibrary(const RecordingLibrary&) = delete;
  RecordingLibrary& operator=(const RecordingLibrary&) = delete;

  // What a load serves: xlBookLoadA returns load_result; the sheet's extents
  // are the source's row count and widest row unless given.
  int load_result = 1;
  SourceSheet source;
  std::optional<int> last_row;
  std::optional<int> last_column;

  // Whether a sheet name is refused; by default the library's rule: null or
  // empty, over 31 characters, : \ / ? * [ ] or a control character, or an
  // apostrophe at either end.
  std::function<bool(const char* name)> refuses_sheet_name;
  // What xlSheetWriteStrA returns for a cell; 1 (written) when unset.
  std::function<int(int row, int column, const std::optional<std::string>& text)> write_result;
  // What xlBookSaveA returns for a path.
  std::function<int(const std::string& path)> save_result = [](const std::string&) { return 1; };
  // When false, the per-cell calls (read and write) are not logged.
  bool log_cells = true;

  // "xlBookInsertSheetA(book1, 0, \"name\", null)", in call order.
  std::vector<std::string> calls;
  std::vector<SavedWorkbook> saved;
  int books_created = 0;
  int books_released = 0;

  void log(std::string call) { calls.push_back(std::move(call)); }

  struct Book;
  std::vector<std::unique_ptr<Book>> books;
};

// A progress bar that behaves like the window's and keeps every position
// it was set to.
class RecordingProgressBar final : public ProgressBar {
 public:
  void set_maximum(int maximum) override { bar_.set_maximum(maximum); }
  void set_position(int position) override {
    positions.push_back(position);
    bar_.set_position(position);
  }
  int maximum() const override { return bar_.maximum(); }
  int position() const override { return bar_.position(); }
  std::vector<int> positions;

 private:
  MemoryProgressBar bar_;
};

// A worker that runs the step in place and logs "worker {" and "} worker"
// around it into the library's call log.
class RecordingWorker final : public Worker {
 public:
  explicit RecordingWorker(RecordingLibrary& library) : library_(library) {}
  void run(const std::function<void()>& step) override {
    library_.log("worker {");
    step();
    library_.log("} worker");
  }
  // A started step runs at once, logged as run() logs it; finish() is
  // logged so that a test sees where the caller waited.
  void start(std::function<void()> step) override { run(step); }
  void finish() override { library_.log("finish"); }

 private:
  RecordingLibrary& library_;
};

// Dialogs that record the messages and answer the folder dialog from a queue.
class RecordingDialogs final : public UserDialogs {
 public:
  void show_message(const Text& message) override { messages.push_back(message); }
  std::optional<Text> choose_folder(const Text& title) override {
    folder_titles.push_back(title);
    return folder_answer;
  }
  std::vector<Text> messages;
  std::vector<Text> folder_titles;
  std::optional<Text> folder_answer;
};

class FixedClock final : public Clock {
 public:
  LocalTime now() override { return time; }
  LocalTime time{2026, 12, 7, 4, 51, 33};
};

}  // namespace colsplit::testing
