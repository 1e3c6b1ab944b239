// colsplit.exe: the window program, with the handlers of the program.
#include <windows.h>

#include "app/win32/application.h"
#include "export/export_run.h"
#include "load/file_intake.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  colsplit::win32::Handlers handlers;
  handlers.files_dropped = colsplit::on_file_dropped;
  handlers.export_clicked = colsplit::on_export_clicked;
  handlers.choose_folder_clicked = colsplit::on_choose_folder_clicked;
  return colsplit::win32::run_application(instance, handlers);
}
