// colsplit.exe: the shell's window with the program's handlers, the fatal
// errors of every layer wired to the runtime error report.
#include <windows.h>

#include "app/win32/application.h"
#include "export/export_run.h"
#include "load/file_intake.h"
#include "load/sheet_choices.h"
#include "main/fatal_errors.h"
#include "xl/library_calls.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  colsplit::wire_fatal_errors();
  colsplit::win32::Handlers handlers;
  handlers.files_dropped = colsplit::on_file_dropped;
  handlers.export_clicked = colsplit::on_export_clicked;
  handlers.choose_folder_clicked = colsplit::on_choose_folder_clicked;
  handlers.worksheet_names = colsplit::worksheet_names;
  handlers.headings_look_like_a_title = colsplit::headings_look_like_a_title;
  // The outcomes are shown by the choices themselves (the list, a message).
  handlers.sheet_chosen = [](colsplit::MainWindow& window, int index) { colsplit::choose_sheet(window, index); };
  handlers.heading_row_chosen = [](colsplit::MainWindow& window, int list_row) {
    colsplit::set_heading_row(window, list_row);
  };
  handlers.keep_format_chosen = colsplit::set_keep_format;
  handlers.csv_chosen = colsplit::set_csv;
  handlers.into_sheets_chosen = colsplit::set_into_sheets;
  const int exit_code = colsplit::win32::run_application(instance, handlers);
  colsplit::xl::release_bound_libraries();
  return exit_code;
}
