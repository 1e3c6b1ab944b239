// The terminal side of colsplit-cli: its arguments as GBK texts, messages to
// standard output, a progress bar on standard error when that is a terminal.
#pragma once

#include <vector>

#include "cli/cli_run.h"

namespace colsplit::cli {

class ConsoleOutput final : public Output {
 public:
  ConsoleOutput();
  void message(const Text& text) override;
  void progress(int position, int maximum) override;
  void progress_done() override;

 private:
  bool bar_wanted_;
  bool bar_shown_ = false;
  int last_drawn_ = -1;
};

#ifdef _WIN32
// The arguments after the program name, from the wide command line.
std::vector<Text> command_line_arguments();
#else
std::vector<Text> command_line_arguments(int argc, char** argv);
#endif

}  // namespace colsplit::cli
