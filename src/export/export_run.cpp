#include "export/export_run.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "text/file_paths.h"
#include "text/formatted_text.h"
#include "text/texts.h"
#include "export/csv_file.h"
#include "export/directories.h"
#include "export/durable_files.h"
#include "export/group_workbook.h"
#include "export/output_names.h"
#include "export/split_parts.h"
#include "export/time_stamp.h"
#include "export/workbook_saver.h"

namespace colsplit {

namespace {

constexpr std::size_t kUnsavedPathsListed = 20;

// Puts one part's rows, all columns, into the staging list view, which
// the group workbook writer then reads.
void stage_group(const ListView& sheet, ListView& staging, const std::vector<int>& rows) {
  staging.delete_all_rows();
  const int columns = sheet.column_count();
  for (const int row : rows) {
    const int item = staging.append_row();
    for (int column = 0; column < columns; ++column) {
      staging.set_cell_text(item, column, sheet.cell_text(row, column));
    }
  }
}

std::vector<Text> column_headings(const ListView& list) {
  std::vector<Text> headings;
  const int columns = list.column_count();
  headings.reserve(static_cast<std::size_t>(columns));
  for (int column = 0; column < columns; ++column) headings.push_back(list.column_heading(column));
  return headings;
}

}  // namespace

Text unsaved_files_message(const std::vector<Text>& unsaved) {
  Text message = texts::kSomeFilesNotSaved;
  for (std::size_t i = 0; i < unsaved.size() && i < kUnsavedPathsListed; ++i) message += "\r\n" + unsaved[i];
  if (unsaved.size() > kUnsavedPathsListed) {
    message += "\r\n" + format_text(texts::kMoreFilesFormat, static_cast<int>(unsaved.size()));
  }
  return message;
}

namespace {

std::string_view file_name_of(std::string_view path) {
  const std::size_t last = last_path_separator(path);
  return last == std::string_view::npos ? path : path.substr(last + 1);
}

// What the user's choices add to every written sheet, and the sheet rows of
// a part's rows for the typed values.
GroupSheetExtras extras_of(const SplitSession& session, const std::vector<int>& rows, std::vector<int>& source_rows) {
  GroupSheetExtras extras;
  const SourceSheet& source = session.source;
  if (source.title_rows.empty() && !session.choices.keep_format) return extras;
  extras.source = &source;
  extras.keep_format = session.choices.keep_format && source.typed;
  if (extras.keep_format) {
    source_rows.clear();
    source_rows.reserve(rows.size());
    for (const int row : rows) source_rows.push_back(source.sheet_row(row));
    extras.source_rows = &source_rows;
  }
  return extras;
}

// What the choices split by: runs of rows, or the list columns, the chosen
// one first; and what stands for them in the export folder's name (the
// headings joined by "_", or "每500行").
struct SplitWanted {
  int rows_per_part = 0;
  std::vector<int> columns;
  Text heading;
};

// Nothing when a split by columns has no column chosen.
std::optional<SplitWanted> wanted_split(MainWindow& window) {
  const SplitChoices& choices = window.session.choices;
  if (choices.rows_per_output > 0) {
    return SplitWanted{choices.rows_per_output, {}, format_text(texts::kRunsHeadingFormat, choices.rows_per_output)};
  }
  const int selection = window.组合框1.current_selection();
  if (selection == -1) return std::nullopt;
  const ListView& list = window.超级列表框1;
  SplitWanted wanted{0, split_columns(window.组合框1.item_value(selection), choices.also_by, list.column_count()),
                     window.组合框1.displayed_text()};
  for (std::size_t i = 1; i < wanted.columns.size(); ++i) {
    wanted.heading += '_';
    wanted.heading += list.column_heading(wanted.columns[i]);
  }
  return wanted;
}

std::vector<SplitPart> split_parts(MainWindow& window, const SplitWanted& wanted) {
  if (wanted.rows_per_part > 0) return parts_by_runs(window.超级列表框1.row_count(), wanted.rows_per_part);
  return parts_by_columns(window.超级列表框1, wanted.columns);
}

// A CSV file holds one sheet: with CSV chosen, every part is a file of its
// own, whatever the choice of one workbook says.
bool into_sheets(const SplitChoices& choices) { return choices.into_sheets && !choices.csv; }

// Checks the choices and makes the export folder; the message of what is
// wrong, and nothing, when that fails.
std::optional<Text> prepare_export_folder(MainWindow& window, const std::optional<SplitWanted>& wanted,
                                          ExportOutcome& failure) {
  if (!wanted) {
    window.dialogs.show_message(texts::kChooseColumnFirst);
    failure = ExportOutcome::no_column_chosen;
    return std::nullopt;
  }
  const Text output_folder = window.编辑框1.text();
  if (output_folder.empty()) {
    // Without a folder every path would start at the root of the current drive.
    window.dialogs.show_message(texts::kChooseFolderFirst);
    failure = ExportOutcome::no_folder_chosen;
    return std::nullopt;
  }
  const Text export_folder = export_folder_path(output_folder, wanted->heading);
  if (!is_directory(export_folder) && !create_directory_level(export_folder)) {
    window.dialogs.show_message(Text(texts::kCannotCreateExportFolder) + "\r\n" + export_folder);
    failure = ExportOutcome::folder_not_created;
    return std::nullopt;
  }
  return export_folder;
}

// One workbook per part, each handed to the saver once filled, while the
// next parts are staged and filled here.
void write_group_workbooks(MainWindow& window, const std::vector<SplitPart>& parts, const Text& export_folder,
                           WorkbookSaver& saver) {
  GroupPaths paths(export_folder);
  std::vector<int> source_rows;
  for (const SplitPart& part : parts) {
    stage_group(window.超级列表框1, window.超级列表框2, part.rows);
    const std::vector<Text> headers = column_headings(window.超级列表框2);
    const Text path = paths.take_piece(part.name_piece, format_time_stamp(window.clock.now()), kWorkbookExtension);
    saver.add(std::make_unique<GroupWorkbook>(window.超级列表框2, window.进度条1, headers, part.sheet_name,
                                              extras_of(window.session, part.rows, source_rows)),
              path);
  }
}

// One CSV file per part, its lines made here straight from the list and
// written by the saver like a workbook.
void write_csv_files(MainWindow& window, const std::vector<SplitPart>& parts, const Text& export_folder,
                     WorkbookSaver& saver) {
  GroupPaths paths(export_folder);
  const std::vector<Text> headers = column_headings(window.超级列表框2);
  for (const SplitPart& part : parts) {
    const Text path = paths.take_piece(part.name_piece, format_time_stamp(window.clock.now()), kCsvExtension);
    saver.add(std::make_unique<CsvFile>(window.超级列表框1, part.rows, headers, window.session.source.title_rows,
                                        window.进度条1),
              path);
  }
}

// One workbook with a sheet per part, handed to the saver once all are in.
void write_sheets_workbook(MainWindow& window, const std::vector<SplitPart>& parts, const Text& export_folder,
                           const Text& heading, WorkbookSaver& saver) {
  if (parts.empty()) return;
  auto workbook = std::make_unique<GroupWorkbook>();
  std::vector<int> source_rows;
  for (const SplitPart& part : parts) {
    stage_group(window.超级列表框1, window.超级列表框2, part.rows);
    workbook->add_sheet(window.超级列表框2, window.进度条1, column_headings(window.超级列表框2), part.sheet_name,
                        extras_of(window.session, part.rows, source_rows));
  }
  saver.add(std::move(workbook),
            sheets_workbook_path(export_folder, heading, format_time_stamp(window.clock.now())));
}

}  // namespace

ExportOutcome run_export(MainWindow& window) {
  ExportOutcome failure = ExportOutcome::finished;
  const std::optional<SplitWanted> wanted = wanted_split(window);
  const std::optional<Text> export_folder = prepare_export_folder(window, wanted, failure);
  if (!export_folder) return failure;

  const std::vector<SplitPart> parts = split_parts(window, *wanted);
  const SplitChoices& choices = window.session.choices;
  WorkbookSaver saver(window.worker);
  if (choices.csv) {
    write_csv_files(window, parts, *export_folder, saver);
  } else if (into_sheets(choices)) {
    write_sheets_workbook(window, parts, *export_folder, wanted->heading, saver);
  } else {
    write_group_workbooks(window, parts, *export_folder, saver);
  }
  saver.finish();
  const std::vector<Text>& written = saver.written();
  std::vector<Text> unsaved = saver.unsaved();
  // The run is done when its files are on the disk, not only in the
  // system's cache: one flush for all of them, while the window paints.
  std::vector<Text> lost;
  window.worker.run([&] { lost = make_durable(*export_folder, written); });
  unsaved.insert(unsaved.end(), lost.begin(), lost.end());

  if (!unsaved.empty()) {
    window.dialogs.show_message(unsaved_files_message(unsaved));
    return ExportOutcome::some_not_saved;
  }
  window.dialogs.show_message(texts::kExportFinished);
  return ExportOutcome::finished;
}

std::vector<PlannedGroup> plan_export(MainWindow& window) {
  std::vector<PlannedGroup> planned;
  const std::optional<SplitWanted> wanted = wanted_split(window);
  if (!wanted) return planned;
  const std::vector<SplitPart> parts = split_parts(window, *wanted);
  std::vector<Text> names;
  if (into_sheets(window.session.choices)) {
    std::vector<Text> sheet_names;
    for (const SplitPart& part : parts) sheet_names.push_back(part.sheet_name);
    names = group_sheet_names(sheet_names);
  } else {
    GroupPaths paths(Text{});
    const Text stamp = format_time_stamp(window.clock.now());
    const std::string_view extension = window.session.choices.csv ? kCsvExtension : kWorkbookExtension;
    for (const SplitPart& part : parts) {
      names.push_back(Text(file_name_of(paths.take_piece(part.name_piece, stamp, extension))));
    }
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    planned.push_back({parts[i].value, static_cast<int>(parts[i].rows.size()), names[i]});
  }
  return planned;
}

void on_export_clicked(MainWindow& window) { run_export(window); }

void on_choose_folder_clicked(MainWindow& window) {
  // A cancelled dialog, or a choice without a file-system path, keeps the
  // folder the user had.
  const std::optional<Text> folder = window.dialogs.choose_folder(texts::kFolderDialogTitle);
  if (folder && !folder->empty()) window.编辑框1.set_text(*folder);
}

}  // namespace colsplit
