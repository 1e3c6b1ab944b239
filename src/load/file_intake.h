// The file-drop handler: admits a dropped workbook name, has its first sheet
// loaded into the preview, then prepares the heading list, the staging
// columns and the proposed output folder.
#pragma once

#include "app/controls/controls.h"

namespace colsplit {

void on_file_dropped(MainWindow& window, const Text& dropped);

}  // namespace colsplit
