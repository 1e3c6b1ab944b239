// The message box, the folder dialog and the clock of the window program.
#pragma once

#include <windows.h>

#include <functional>

#include "app/controls/controls.h"

namespace colsplit::win32 {

class Win32Dialogs final : public UserDialogs {
 public:
  // `before_modal` runs before a dialog opens (the window brings its
  // controls up to date), `after_modal` after it closed.
  Win32Dialogs(std::function<void()> before_modal, std::function<void()> after_modal)
      : before_modal_(std::move(before_modal)), after_modal_(std::move(after_modal)) {}

  void show_message(const Text& message) override;
  std::optional<Text> choose_folder(const Text& title) override;

 private:
  std::function<void()> before_modal_;
  std::function<void()> after_modal_;
};

class Win32Clock final : public Clock {
 public:
  LocalTime now() override;
};

}  // namespace colsplit::win32
