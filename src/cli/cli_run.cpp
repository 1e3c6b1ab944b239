#include "cli/cli_run.h"

#include <charconv>
#include <optional>
#include <string>
#include <string_view>

#include "app/memory/memory_controls.h"
#include "text/texts.h"
#include "export/directories.h"
#include "export/export_run.h"
#include "load/file_intake.h"
#include "load/sheet_choices.h"
#include "text/formatted_text.h"

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

std::optional<int> whole_number(std::string_view text) {
  int number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return number;
}

std::optional<int> column_number(const Text& heading) {
  if (heading.size() < 2 || heading[0] != '#') return std::nullopt;
  return whole_number(std::string_view(heading).substr(1));
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

struct Options {
  Text workbook;
  Text heading;  // empty with --rows
  Text output_folder;
  std::optional<Text> sheet;
  int heading_row = 1;
  std::vector<Text> also_by;  // the headings of --and
  int rows_per_output = 0;
  bool keep_format = false;
  bool into_sheets = false;
  bool csv = false;
  bool list = false;
  bool help = false;
};

// Whether the options go together: --and names further split columns, which
// runs of rows have none of; a CSV file holds no more than one sheet.
bool options_agree(const Options& options) {
  if (options.also_by.size() > SplitChoices::kMostAlsoBy) return false;
  if (options.rows_per_output > 0 && !options.also_by.empty()) return false;
  return !(options.csv && options.into_sheets);
}

// The options may stand anywhere among WORKBOOK HEADING [OUTPUT-FOLDER]
// (with --rows: WORKBOOK [OUTPUT-FOLDER]); nothing: a malformed or unknown
// option, options that do not go together, or the wrong number of the
// others.
std::optional<Options> parse_options(const std::vector<Text>& arguments) {
  Options options;
  std::vector<Text> positional;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const Text& argument = arguments[i];
    if (argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
      positional.push_back(argument);
      continue;
    }
    const bool has_value = i + 1 < arguments.size();
    if (argument == "--help") {
      options.help = true;
    } else if (argument == "--keep-format" || argument == "--keep-types") {
      options.keep_format = true;
    } else if (argument == "--into-sheets") {
      options.into_sheets = true;
    } else if (argument == "--list") {
      options.list = true;
    } else if (argument == "--csv") {
      options.csv = true;
    } else if (argument == "--and" && has_value && !arguments[i + 1].empty()) {
      options.also_by.push_back(arguments[++i]);
    } else if (argument == "--rows" && has_value) {
      const std::optional<int> number = whole_number(arguments[++i]);
      if (!number || *number < 1) return std::nullopt;
      options.rows_per_output = *number;
    } else if (argument == "--sheet" && has_value && !arguments[i + 1].empty()) {
      options.sheet = arguments[++i];
    } else if (argument == "--heading-row" && has_value) {
      const std::optional<int> number = whole_number(arguments[++i]);
      if (!number || *number < 1) return std::nullopt;
      options.heading_row = *number;
    } else {
      return std::nullopt;
    }
  }
  if (options.help) return options;
  if (!options_agree(options) || positional.empty() || positional[0].empty()) return std::nullopt;
  options.workbook = positional[0];
  if (options.rows_per_output > 0) {
    // Runs need no heading: a second text is the output folder, unless it
    // has the form of a column number.
    if (positional.size() > 2 || (positional.size() == 2 && column_number(positional[1]))) return std::nullopt;
    if (positional.size() == 2) options.output_folder = positional[1];
    return options;
  }
  if (positional.size() < 2 || positional.size() > 3) return std::nullopt;
  options.heading = positional[1];
  if (positional.size() == 3) options.output_folder = positional[2];
  return options;
}

Text sheet_list_message(const Text& wanted, const std::vector<Text>& names) {
  Text message = Text(texts::kCliNoSuchSheet) + wanted + "\r\n" + texts::kCliSheetsAre;
  for (std::size_t i = 0; i < names.size(); ++i) message += "\r\n  " + std::to_string(i + 1) + "  " + names[i];
  return message;
}

// Shows the worksheet named `wanted`, or else the one at that position
// (from 1).
bool show_sheet(MainWindow& window, const Text& wanted, Output& output) {
  const std::vector<Text> names = worksheet_names(window);
  int index = -1;
  for (std::size_t i = 0; i < names.size() && index < 0; ++i) {
    if (names[i] == wanted) index = static_cast<int>(i);
  }
  if (const std::optional<int> number = whole_number(wanted); index < 0 && number) {
    if (*number >= 1 && static_cast<std::size_t>(*number) <= names.size()) index = *number - 1;
  }
  if (index < 0) {
    output.message(sheet_list_message(wanted, names));
    return false;
  }
  if (index == window.session.source.sheet_index) return true;
  const DropOutcome shown = choose_sheet(window, index);
  output.progress_done();
  return shown == DropOutcome::loaded;
}

// Makes sheet row `heading_row` (from 1) the heading row.
bool move_heading_row(MainWindow& window, int heading_row, Output& output) {
  const int list_row = heading_row - 2;
  if (list_row >= window.超级列表框1.row_count()) {
    output.message(format_text(texts::kCliHeadingRowPastEnd, window.超级列表框1.row_count() + 1));
    return false;
  }
  const bool moved = set_heading_row(window, list_row);
  output.progress_done();
  return moved;
}

}  // namespace

int run(const std::vector<Text>& arguments, Output& output, Worker& worker) {
  std::optional<Options> parsed = parse_options(arguments);
  if (!parsed) {
    output.message(texts::kCliUsage);
    return kExitWrongUsage;
  }
  const Options& options = *parsed;
  if (options.help) {
    output.message(texts::kCliUsage);
    return kExitDone;
  }
  const Text& workbook = options.workbook;

  OutputDialogs dialogs(output);
  SystemClock clock;
  MemoryMainWindow memory(dialogs, clock, &worker);
  memory.进度条1.on_change([&output](int position, int maximum) { output.progress(position, maximum); });
  MainWindow window = memory.view();
  memory.session.choices.keep_format = options.keep_format;
  memory.session.choices.into_sheets = options.into_sheets;
  memory.session.choices.rows_per_output = options.rows_per_output;
  memory.session.choices.csv = options.csv;

  // A name the window would ignore is a file this program cannot read.
  if (first_admitted_name(workbook) != workbook) {
    report_load_failure(window, workbook, SheetExtents{.refused_because = "not a workbook file"});
    return kExitFailed;
  }
  const DropOutcome dropped = take_dropped_files(window, workbook);
  output.progress_done();
  if (dropped != DropOutcome::loaded) return kExitFailed;
  if (options.sheet && !show_sheet(window, *options.sheet, output)) return kExitFailed;
  if (options.heading_row > 1 && !move_heading_row(window, options.heading_row, output)) return kExitFailed;

  // Without headings there is nothing to name: not a wrong heading, a sheet
  // that holds nothing to split.
  if (memory.组合框1.item_count() == 0) {
    output.message(texts::kCliEmptySheet);
    return kExitFailed;
  }
  if (options.rows_per_output == 0) {
    const int item = find_heading(memory.组合框1, options.heading);
    if (item < 0) {
      output.message(unknown_heading_message(memory.组合框1, options.heading));
      return kExitWrongUsage;
    }
    memory.组合框1.select(item);
  }
  for (const Text& heading : options.also_by) {
    const int item = find_heading(memory.组合框1, heading);
    if (item < 0) {
      output.message(unknown_heading_message(memory.组合框1, heading));
      return kExitWrongUsage;
    }
    memory.session.choices.also_by.push_back(memory.组合框1.item_value(item));
  }
  if (options.list) {
    for (const PlannedGroup& group : plan_export(window)) {
      output.message(group.value + "\t" + std::to_string(group.rows) + "\t" + group.name);
    }
    return kExitDone;
  }
  // A batch names its folders ahead of them; the export then makes its own
  // folder inside, and says so when the path cannot be made.
  if (!options.output_folder.empty()) {
    create_directory_path(options.output_folder);
    memory.编辑框1.set_text(options.output_folder);
  }
  // A workbook named without a folder lies in the current directory.
  if (memory.编辑框1.text().empty()) memory.编辑框1.set_text(".");

  const ExportOutcome outcome = run_export(window);
  output.progress_done();
  return outcome == ExportOutcome::finished ? kExitDone : kExitFailed;
}

}  // namespace colsplit::cli
