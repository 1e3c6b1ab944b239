#include "app/win32/win32_dialogs.h"

#include <shlobj.h>

#include <string>

#include "text/encoding.h"
#include "text/texts.h"

namespace colsplit::win32 {

void Win32Dialogs::show_message(const Text& message) {
  if (before_modal_) before_modal_();
  // No owner: the box is task-modal, which disables every window of the
  // program until it is closed.
  MessageBoxW(nullptr, gbk_to_wide(message).c_str(), gbk_to_wide(texts::kMessageCaption).c_str(),
              MB_OK | MB_TASKMODAL);
  if (after_modal_) after_modal_();
}

std::optional<Text> Win32Dialogs::choose_folder(const Text& title) {
  if (before_modal_) before_modal_();
  const std::wstring wide_title = gbk_to_wide(title);
  BROWSEINFOW browse{};
  browse.hwndOwner = GetActiveWindow();
  browse.lpszTitle = wide_title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  std::optional<Text> folder;
  if (chosen) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen, path)) folder = wide_to_gbk(path);
    CoTaskMemFree(chosen);
  }
  if (after_modal_) after_modal_();
  return folder;
}

LocalTime Win32Clock::now() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return LocalTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

}  // namespace colsplit::win32
