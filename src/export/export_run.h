// The Export button and the folder button, and what an export would write
// without writing it (colsplit-cli --list).
#pragma once

#include "app/controls/controls.h"

namespace colsplit {

enum class ExportOutcome {
  no_column_chosen,       // "请先选择要筛选内容的列" (a split into runs of rows needs none)
  no_folder_chosen,       // "请先选择导出地址"
  folder_not_created,     // "无法创建导出文件夹：..."; nothing written
  some_not_saved,         // "导出完成，但以下文件未能保存：..."
  finished,               // "按指定列内容筛选导出完成"
};

// The export run proper, message included: per value of the chosen column
// (and of the further split columns, per combination), or per run of rows,
// one workbook, one sheet of one workbook, or one CSV file (CSV taking
// precedence over the one workbook). on_export_clicked is this without the
// outcome, which colsplit-cli needs for its exit status.
ExportOutcome run_export(MainWindow& window);

void on_export_clicked(MainWindow& window);
void on_choose_folder_clicked(MainWindow& window);

// What an export would write, without writing it: per part (a value, a
// combination of values, a run of rows), in order, what it is (several
// values separated by tabs; "第1-500行" for a run), its row count and the
// name it would get (the file name, or with the choice of one workbook the
// sheet name). Empty when a split by columns has no column chosen.
struct PlannedGroup {
  Text value;
  int rows = 0;
  Text name;
};
std::vector<PlannedGroup> plan_export(MainWindow& window);

// The final message of a run in which the given workbooks could not be
// saved: the first 20 paths, one a line, then "……共 N 个".
Text unsaved_files_message(const std::vector<Text>& unsaved);

}  // namespace colsplit
