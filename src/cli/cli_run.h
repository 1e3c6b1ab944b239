// colsplit-cli without its console: arguments in, messages and progress
// out, exit status back.
#pragma once

#include <vector>

#include "app/controls/controls.h"
#include "text/text.h"

namespace colsplit::cli {

enum ExitStatus {
  kExitDone = 0,        // every group workbook was written
  kExitFailed = 1,      // the workbook or its sheet could not be read, or something could not be written
  kExitWrongUsage = 2,  // wrong arguments or options, or a heading the sheet does not have
};

// Where the program's output goes. Texts are GBK; lines end in "\r\n".
class Output {
 public:
  virtual ~Output() = default;
  virtual void message(const Text& text) = 0;
  virtual void progress(int position, int maximum) = 0;
  virtual void progress_done() = 0;
};

// Runs `colsplit-cli [OPTIONS] WORKBOOK HEADING [OUTPUT-FOLDER]`, or with
// --rows N `colsplit-cli [OPTIONS] --rows N WORKBOOK [OUTPUT-FOLDER]`;
// `arguments` are the texts after the program name, in GBK. The options
// (--sheet NAME|NUMBER, --heading-row N, --keep-types, --into-sheets,
// --and HEADING (up to three), --rows N, --csv, --list, --help) are the
// window's context menu's choices; --list writes nothing and prints per
// value (combination of values, tab-separated; run of rows), in order, the
// value, its row count and the file (or sheet) name it would get,
// tab-separated. HEADING is a column title (the first column of that title)
// or "#N" for the N-th column. The library loads and saves through `worker`
// (the program's runs a started save on a thread of its own).
int run(const std::vector<Text>& arguments, Output& output, Worker& worker);

}  // namespace colsplit::cli
