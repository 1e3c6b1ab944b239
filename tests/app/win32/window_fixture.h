// A fresh main window for each test, with handlers that only count.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/win32/app_window.h"

namespace colsplit::win32 {

struct RecordedEvents {
  int export_clicks = 0;
  int folder_clicks = 0;
  std::vector<Text> drops;
  // The context menu's handlers: each choice as "name argument".
  std::vector<std::string> choices;
  std::vector<Text> sheet_names;  // what the shown workbook holds
  bool headings_look_like_a_title = false;
};

inline RecordedEvents events;

class WindowFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
  }

  void SetUp() override {
    events = RecordedEvents{};
    Handlers handlers;
    handlers.files_dropped = [](MainWindow&, const Text& dropped) { events.drops.push_back(dropped); };
    handlers.export_clicked = [](MainWindow&) { ++events.export_clicks; };
    handlers.choose_folder_clicked = [](MainWindow&) { ++events.folder_clicks; };
    handlers.worksheet_names = [](MainWindow&) -> const std::vector<Text>& { return events.sheet_names; };
    handlers.headings_look_like_a_title = [](const ListView&, const SourceSheet&) {
      return events.headings_look_like_a_title;
    };
    handlers.sheet_chosen = [](MainWindow&, int index) { note_choice("sheet", index); };
    handlers.heading_row_chosen = [](MainWindow&, int row) { note_choice("heading", row); };
    handlers.keep_format_chosen = [](MainWindow&, bool on) { note_choice("keep_format", on); };
    handlers.into_sheets_chosen = [](MainWindow&, bool on) { note_choice("into_sheets", on); };
    handlers.csv_chosen = [](MainWindow& window, bool on) { window.session.choices.csv = on; };
    window = AppWindow::create(GetModuleHandleW(nullptr), handlers);
    ASSERT_NE(window, nullptr);
  }

  // Destroying the window posts WM_QUIT, meant for a message loop that no
  // test runs; the next test must not find it.
  void TearDown() override {
    window.reset();
    MSG message{};
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  static void note_choice(const char* name, int argument) {
    events.choices.push_back(std::string(name) + " " + std::to_string(argument));
  }

  std::unique_ptr<AppWindow> window;
};

}  // namespace colsplit::win32
