// The Export button and the folder button.
#pragma once

#include "app/controls/controls.h"

namespace colsplit {

void on_export_clicked(MainWindow& window);
void on_choose_folder_clicked(MainWindow& window);

}  // namespace colsplit
