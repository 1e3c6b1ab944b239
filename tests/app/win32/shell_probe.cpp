// shell_probe.exe: the window program's start-up with handlers that make
// visible from outside what the real handlers do inside. The folder
// button runs the command typed into 编辑框1:
//   cwd      puts the current directory into 编辑框1
//   oom      asks for more memory than any process can have (all but 255
//            bytes of the address space: 0xFFFFFF00 in a 32-bit program)
//   worker-oom    the same, inside a step on the window's worker
//   worker-fatal  raises the code 6 report inside a step on the worker
//   message  shows a message box, then puts "shown" into 编辑框1
//   folder   opens the folder dialog, then puts the folder or "(cancelled)"
// The Export button raises a fatal error (code 6); a drop writes the
// event's text, in UTF-8, to dropped.txt in the current directory and shows
// it as the one row of 超级列表框1.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/runtime_error/runtime_error_report.h"
#include "text/encoding.h"
#include "text/texts.h"
#include "app/win32/application.h"
#include "main/fatal_errors.h"

namespace {

using namespace colsplit;

void write_dropped(MainWindow& window, const Text& dropped) {
  // Also shown as a row, for readers of the list view from outside.
  window.超级列表框1.replace_column_set({ColumnDefinition{"dropped", 300, ColumnAlignment::left}});
  window.超级列表框1.insert_row(std::nullopt, dropped);
  if (std::FILE* file = std::fopen("dropped.txt", "wb")) {
    const std::string utf8 = gbk_to_utf8(dropped);
    std::fwrite(utf8.data(), 1, utf8.size(), file);
    std::fclose(file);
  }
}

void fail(MainWindow&) { raise_runtime_error(kErrorStackUnbalanced, texts::kStackUnbalanced, 3, 7); }

char* ask_for_too_much() {
  volatile std::size_t too_much = SIZE_MAX - 255;
  char* volatile memory = new char[too_much];
  memory[0] = 1;
  return memory;
}

void run_command(MainWindow& window) {
  const Text command = window.编辑框1.text();
  if (command == "worker-oom") {
    window.worker.run([] { ask_for_too_much(); });
    window.编辑框1.set_text("worker-oom returned");
    return;
  }
  if (command == "worker-fatal") {
    window.worker.run([] { raise_runtime_error(kErrorStackUnbalanced, texts::kStackUnbalanced, 3, 8); });
    window.编辑框1.set_text("worker-fatal returned");
    return;
  }
  if (command == "cwd") {
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    window.编辑框1.set_text(wide_to_gbk(directory));
  } else if (command == "oom") {
    window.编辑框1.set_text(ask_for_too_much());
  } else if (command == "message") {
    window.dialogs.show_message("hello");
    window.编辑框1.set_text("shown");
  } else if (command == "folder") {
    window.编辑框1.set_text(window.dialogs.choose_folder(texts::kFolderDialogTitle).value_or("(cancelled)"));
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  wire_fatal_errors();
  win32::Handlers handlers;
  handlers.files_dropped = write_dropped;
  handlers.export_clicked = fail;
  handlers.choose_folder_clicked = run_command;
  return win32::run_application(instance, handlers);
}
