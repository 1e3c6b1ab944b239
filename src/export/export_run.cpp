#include "export/export_run.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "text/file_paths.h"
#include "text/formatted_text.h"
#include "text/texts.h"
#include "export/directories.h"
#include "export/durable_files.h"
#include "export/group_workbook.h"
#include "export/grouping.h"
#include "export/output_names.h"
#include "export/time_stamp.h"
#include "export/workbook_saver.h"

namespace colsplit {

namespace {

constexpr std::size_t kUnsavedPathsListed = 20;

// Puts one group's rows, all columns, into the staging list view, which
// the group workbook writer then reads.
void stage_group(const ListView& sheet, ListView& staging, const Group& group) {
  staging.delete_all_rows();
  const int columns = sheet.column_count();
  for (const int row : group.rows) {
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
// a group's rows for the typed values.
GroupSheetExtras extras_of(const SplitSession& session, const Group& group, std::vector<int>& source_rows) {
  GroupSheetExtras extras;
  const SourceSheet& source = session.source;
  if (source.title_rows.empty() && !session.choices.keep_format) return extras;
  extras.source = &source;
  extras.keep_format = session.choices.keep_format && source.typed;
  if (extras.keep_format) {
    source_rows.clear();
    source_rows.reserve(group.rows.size());
    for (const int row : group.rows) source_rows.push_back(source.sheet_row(row));
    extras.source_rows = &source_rows;
  }
  return extras;
}

// Checks the chosen column and makes the export folder; the message of what
// is wrong, and nothing, when that fails.
std::optional<Text> prepare_export_folder(MainWindow& window, ExportOutcome& failure) {
  if (window.组合框1.current_selection() == -1) {
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
  const Text export_folder = export_folder_path(output_folder, window.组合框1.displayed_text());
  if (!is_directory(export_folder) && !create_directory_level(export_folder)) {
    window.dialogs.show_message(Text(texts::kCannotCreateExportFolder) + "\r\n" + export_folder);
    failure = ExportOutcome::folder_not_created;
    return std::nullopt;
  }
  return export_folder;
}

// One workbook per group, each handed to the saver once filled, while the
// next groups are staged and filled here.
void write_group_workbooks(MainWindow& window, const std::vector<Group>& groups, const Text& export_folder,
                           WorkbookSaver& saver) {
  GroupPaths paths(export_folder);
  std::vector<int> source_rows;
  for (const Group& group : groups) {
    stage_group(window.超级列表框1, window.超级列表框2, group);
    const std::vector<Text> headers = column_headings(window.超级列表框2);
    const Text path = paths.take(group.value, format_time_stamp(window.clock.now()));
    saver.add(std::make_unique<GroupWorkbook>(window.超级列表框2, window.进度条1, headers, group.value,
                                              extras_of(window.session, group, source_rows)),
              path);
  }
}

// One workbook with a sheet per group, handed to the saver once all are in.
void write_sheets_workbook(MainWindow& window, const std::vector<Group>& groups, const Text& export_folder,
                           WorkbookSaver& saver) {
  if (groups.empty()) return;
  auto workbook = std::make_unique<GroupWorkbook>();
  std::vector<int> source_rows;
  for (const Group& group : groups) {
    stage_group(window.超级列表框1, window.超级列表框2, group);
    workbook->add_sheet(window.超级列表框2, window.进度条1, column_headings(window.超级列表框2), group.value,
                        extras_of(window.session, group, source_rows));
  }
  saver.add(std::move(workbook), sheets_workbook_path(export_folder, window.组合框1.displayed_text(),
                                                      format_time_stamp(window.clock.now())));
}

}  // namespace

ExportOutcome run_export(MainWindow& window) {
  ExportOutcome failure = ExportOutcome::finished;
  const std::optional<Text> export_folder = prepare_export_folder(window, failure);
  if (!export_folder) return failure;

  const int split_column = window.组合框1.item_value(window.组合框1.current_selection());
  const std::vector<Group> groups = collect_groups(window.超级列表框1, split_column);
  WorkbookSaver saver(window.worker);
  if (window.session.choices.into_sheets) {
    write_sheets_workbook(window, groups, *export_folder, saver);
  } else {
    write_group_workbooks(window, groups, *export_folder, saver);
  }
  saver.finish();
  const std::vector<Text>& written = saver.written();
  std::vector<Text> unsaved = saver.unsaved();
  // The run is done when its workbooks are on the disk, not only in the
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
  const int selection = window.组合框1.current_selection();
  if (selection == -1) return planned;
  const std::vector<Group> groups = collect_groups(window.超级列表框1, window.组合框1.item_value(selection));
  std::vector<Text> names;
  if (window.session.choices.into_sheets) {
    std::vector<Text> values;
    for (const Group& group : groups) values.push_back(group.value);
    names = group_sheet_names(values);
  } else {
    GroupPaths paths(Text{});
    const Text stamp = format_time_stamp(window.clock.now());
    for (const Group& group : groups) names.push_back(Text(file_name_of(paths.take(group.value, stamp))));
  }
  for (std::size_t i = 0; i < groups.size(); ++i) {
    planned.push_back({groups[i].value, static_cast<int>(groups[i].rows.size()), names[i]});
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
