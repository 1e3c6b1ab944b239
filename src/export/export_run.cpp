#include "export/export_run.h"

#include <memory>
#include <vector>

#include "text/formatted_text.h"
#include "text/texts.h"
#include "export/directory_creation.h"
#include "export/durable_files.h"
#include "export/group_workbook.h"
#include "export/grouping.h"
#include "export/output_names.h"
#include "export/time_stamp.h"
#include "xl/workbook_provisioning.h"

namespace colsplit {

namespace {

constexpr int kExportColumnWidth = 20;
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

ExportOutcome run_export(MainWindow& window) {
  if (window.组合框1.current_selection() == -1) {
    window.dialogs.show_message(texts::kChooseColumnFirst);
    return ExportOutcome::no_column_chosen;
  }
  const Text output_folder = window.编辑框1.text();
  if (output_folder.empty()) {
    // Without a folder every path would start at the root of the current drive.
    window.dialogs.show_message(texts::kChooseFolderFirst);
    return ExportOutcome::no_folder_chosen;
  }
  const Text export_folder = export_folder_path(output_folder, window.组合框1.displayed_text());
  if (!xl::is_directory(export_folder) && !create_directory_level(export_folder)) {
    window.dialogs.show_message(Text(texts::kCannotCreateExportFolder) + "\r\n" + export_folder);
    return ExportOutcome::folder_not_created;
  }

  const int split_column = window.组合框1.item_value(window.组合框1.current_selection());
  const std::vector<Group> groups = collect_groups(window.超级列表框1, split_column);
  GroupPaths paths(export_folder);
  std::vector<Text> written;
  std::vector<Text> unsaved;
  // Each workbook is saved on the worker while the next group is staged and
  // filled here; its result is taken, in group order, before the next save
  // starts.
  std::unique_ptr<GroupWorkbook> saving;
  Text saving_path;
  const auto take_result = [&] {
    if (!saving) return;
    (saving->finish_saving() ? written : unsaved).push_back(saving_path);
    saving.reset();
  };
  for (const Group& group : groups) {
    stage_group(window.超级列表框1, window.超级列表框2, group);
    const std::vector<Text> headers = column_headings(window.超级列表框2);
    const Text path = paths.take(group.value, format_time_stamp(window.clock.now()));
    auto workbook = std::make_unique<GroupWorkbook>(window.超级列表框2, window.进度条1, headers, group.value,
                                                    kExportColumnWidth);
    take_result();
    if (!workbook->complete()) {
      unsaved.push_back(path);
      continue;
    }
    workbook->start_saving(window.worker, path);
    saving = std::move(workbook);
    saving_path = path;
    // A small workbook has saved already: it goes at once.
    if (!saving->saving_beside()) take_result();
  }
  take_result();
  // The run is done when its workbooks are on the disk, not only in the
  // system's cache: one flush for all of them, while the window paints.
  std::vector<Text> lost;
  window.worker.run([&] { lost = make_durable(export_folder, written); });
  unsaved.insert(unsaved.end(), lost.begin(), lost.end());

  if (!unsaved.empty()) {
    window.dialogs.show_message(unsaved_files_message(unsaved));
    return ExportOutcome::some_not_saved;
  }
  window.dialogs.show_message(texts::kExportFinished);
  return ExportOutcome::finished;
}

void on_export_clicked(MainWindow& window) { run_export(window); }

void on_choose_folder_clicked(MainWindow& window) {
  // A cancelled dialog, or a choice without a file-system path, keeps the
  // folder the user had.
  const std::optional<Text> folder = window.dialogs.choose_folder(texts::kFolderDialogTitle);
  if (folder && !folder->empty()) window.编辑框1.set_text(*folder);
}

}  // namespace colsplit
