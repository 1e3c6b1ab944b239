// A fresh main window for each test, with handlers that only count.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/win32/app_window.h"

namespace colsplit::win32 {

struct RecordedEvents {
  int export_clicks = 0;
  int folder_clicks = 0;
  std::vector<Text> drops;
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

  std::unique_ptr<AppWindow> window;
};

}  // namespace colsplit::win32
