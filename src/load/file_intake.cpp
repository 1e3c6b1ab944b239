// Placeholder until the intake lands.
#include "load/file_intake.h"

namespace colsplit {

void on_file_dropped(MainWindow&, const Text&) {}

}  // namespace colsplit
