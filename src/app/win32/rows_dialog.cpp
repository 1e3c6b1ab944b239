#include "app/win32/rows_dialog.h"

#include <cwchar>
#include <string>
#include <vector>

#include "app/controls/split_choice_rules.h"
#include "text/encoding.h"
#include "text/texts.h"

namespace colsplit::win32 {

namespace {

constexpr WORD kNumberBox = 100;
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

// A dialog template built in memory, so that the dialog needs no resource of
// the program (the test programs have none): the header and its items as
// DLGTEMPLATE and DLGITEMTEMPLATE lay them out, in 16-bit words.
class DialogTemplate {
 public:
  DialogTemplate(const wchar_t* title, short width, short height, WORD items) {
    add_dword(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    add_dword(0);  // extended style
    words_.push_back(items);
    add_geometry(0, 0, width, height);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    add_text(title);
    words_.push_back(9);  // points
    add_text(L"MS Shell Dlg");
  }

  void add_item(WORD window_class, WORD id, const wchar_t* text, DWORD style, short x, short y, short width,
                short height) {
    if (words_.size() % 2) words_.push_back(0);  // each item starts on a 32-bit boundary
    add_dword(WS_CHILD | WS_VISIBLE | style);
    add_dword(0);
    add_geometry(x, y, width, height);
    words_.push_back(id);
    words_.push_back(0xFFFF);  // a predefined class by its atom
    words_.push_back(window_class);
    add_text(text);
    words_.push_back(0);  // no creation data
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void add_dword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void add_geometry(short x, short y, short width, short height) {
    for (const short value : {x, y, width, height}) words_.push_back(static_cast<WORD>(value));
  }
  void add_text(const wchar_t* text) {
    for (; *text; ++text) words_.push_back(static_cast<WORD>(*text));
    words_.push_back(0);
  }

  // WORDs keep the alignment that the template's DWORDs need at its start.
  std::vector<WORD> words_;
};

struct DialogState {
  int prefilled = 0;
  int chosen = 0;
};

std::wstring item_text(HWND dialog, int id) {
  const HWND item = GetDlgItem(dialog, id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
  text.resize(wcslen(text.c_str()));
  return text;
}

void select_number(HWND dialog) {
  const HWND box = GetDlgItem(dialog, kNumberBox);
  SetFocus(box);
  SendMessageW(box, EM_SETSEL, 0, -1);
}

// 确定: a number in range closes the dialog; anything else is explained and
// the number box gets the focus back, its text selected to be typed over.
void confirm(HWND dialog, DialogState& state) {
  if (const std::optional<int> number = parse_rows_per_output(wide_to_gbk(item_text(dialog, kNumberBox)))) {
    state.chosen = *number;
    EndDialog(dialog, IDOK);
    return;
  }
  MessageBoxW(dialog, gbk_to_wide(texts::kRowsOutOfRange).c_str(), gbk_to_wide(texts::kMessageCaption).c_str(),
              MB_OK | MB_ICONWARNING);
  select_number(dialog);
}

INT_PTR CALLBACK dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      state = reinterpret_cast<DialogState*>(lparam);
      // The main window's font, so that the Chinese texts look as they do there.
      const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
      for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        SendMessageW(child, WM_SETFONT, font, FALSE);
      }
      SetDlgItemInt(dialog, kNumberBox, static_cast<UINT>(state->prefilled), FALSE);
      select_number(dialog);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      if (!state) return FALSE;
      if (LOWORD(wparam) == IDOK) {
        confirm(dialog, *state);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

std::optional<int> ask_rows_per_output(HWND owner, int prefilled) {
  const std::wstring title = gbk_to_wide(texts::kRowsDialogTitle);
  const std::wstring label = gbk_to_wide(texts::kRowsDialogLabel);
  const std::wstring ok = gbk_to_wide(texts::kRowsDialogOk);
  const std::wstring cancel = gbk_to_wide(texts::kRowsDialogCancel);
  // In dialog units; the tab order is the items' order.
  DialogTemplate form(title.c_str(), 180, 62, 4);
  form.add_item(kStaticClass, static_cast<WORD>(-1), label.c_str(), SS_LEFT, 8, 10, 82, 10);
  form.add_item(kEditClass, kNumberBox, L"", ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP, 92, 8,
                80, 13);
  form.add_item(kButtonClass, IDOK, ok.c_str(), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 66, 38, 50, 16);
  form.add_item(kButtonClass, IDCANCEL, cancel.c_str(), BS_PUSHBUTTON | WS_TABSTOP, 122, 38, 50, 16);
  DialogState state{prefilled, 0};
  const INT_PTR answer = DialogBoxIndirectParamW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
                                                 form.get(), owner, dialog_procedure,
                                                 reinterpret_cast<LPARAM>(&state));
  if (answer != IDOK) return std::nullopt;
  return state.chosen;
}

}  // namespace colsplit::win32
