#include "cli/cli_run.h"

#include <charconv>
#include <optional>

#include "app/memory/memory_controls.h"
#include "text/texts.h"
#include "export/export_run.h"
#include "load/file_intake.h"

namespace colsplit::cli {

namespace {

// The window's message boxes become lines of output; there is no one to
// pick a folder.
class OutputDialogs final : public UserDialogs {
 public:
  explicit OutputDialogs(Output& output) : output_(output) {}
  void show_message(const Text& message) override { output_.message(message); }
  std::optional<Text> choose_folder(const Text&) override { return std::nullopt; }

 private:
  Output& output_;
};

std::optional<int> column_number(const Text& heading) {
  if (heading.size() < 2 || heading[0] != '#') return std::nullopt;
  int number = 0;
  const char* end = heading.data() + heading.size();
  const auto [stop, error] = std::from_chars(heading.data() + 1, end, number);
  if (error != std::errc() || stop != end) return std::nullopt;
  return number;
}

// The heading list item that HEADING names, or -1.
int find_heading(const MemoryComboBox& headings, const Text& heading) {
  for (int i = 0; i < headings.item_count(); ++i) {
    if (headings.item_text(i) == heading) return i;
  }
  if (const std::optional<int> number = column_number(heading)) {
    if (*number >= 1 && *number <= headings.item_count()) return *number - 1;
  }
  return -1;
}

Text unknown_heading_message(const MemoryComboBox& headings, const Text& heading) {
  Text message = Text(texts::kCliUnknownHeading) + heading + "\r\n" + texts::kCliHeadingsAre;
  for (int i = 0; i < headings.item_count(); ++i) {
    message += "\r\n  #" + std::to_string(i + 1) + "  " + headings.item_text(i);
  }
  return message + "\r\n" + texts::kCliUsage;
}

}  // namespace

int run(const std::vector<Text>& arguments, Output& output, Worker& worker) {
  if (arguments.size() < 2 || arguments.size() > 3 || arguments[0].empty()) {
    output.message(texts::kCliUsage);
    return kExitWrongUsage;
  }
  const Text& workbook = arguments[0];
  const Text& heading = arguments[1];

  OutputDialogs dialogs(output);
  SystemClock clock;
  MemoryMainWindow memory(dialogs, clock, &worker);
  memory.进度条1.on_change([&output](int position, int maximum) { output.progress(position, maximum); });
  MainWindow window = memory.view();

  // A name the window would ignore is a file this program cannot read.
  if (first_admitted_name(workbook) != workbook) {
    output.message(Text(texts::kLoadFailed) + "\r\n" + workbook);
    return kExitFailed;
  }
  const DropOutcome dropped = take_dropped_files(window, workbook);
  output.progress_done();
  if (dropped != DropOutcome::loaded) return kExitFailed;

  const int item = find_heading(memory.组合框1, heading);
  if (item < 0) {
    output.message(unknown_heading_message(memory.组合框1, heading));
    return kExitWrongUsage;
  }
  memory.组合框1.select(item);
  if (arguments.size() == 3) memory.编辑框1.set_text(arguments[2]);
  // A workbook named without a folder lies in the current directory.
  if (memory.编辑框1.text().empty()) memory.编辑框1.set_text(".");

  const ExportOutcome outcome = run_export(window);
  output.progress_done();
  return outcome == ExportOutcome::finished ? kExitDone : kExitFailed;
}

}  // namespace colsplit::cli
