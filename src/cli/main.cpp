// colsplit-cli WORKBOOK HEADING [OUTPUT-FOLDER]
#include "cli/cli_run.h"
#include "cli/console.h"

#ifdef _WIN32
int wmain() {
  colsplit::cli::ConsoleOutput output;
  return colsplit::cli::run(colsplit::cli::command_line_arguments(), output);
}
#else
int main(int argc, char** argv) {
  colsplit::cli::ConsoleOutput output;
  return colsplit::cli::run(colsplit::cli::command_line_arguments(argc, argv), output);
}
#endif
