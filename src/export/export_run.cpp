// Placeholder until the export lands.
#include "export/export_run.h"

namespace colsplit {

void on_export_clicked(MainWindow&) {}
void on_choose_folder_clicked(MainWindow&) {}

}  // namespace colsplit
