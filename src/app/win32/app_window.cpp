#include "app/win32/app_window.h"

#include <commctrl.h>

#include <algorithm>

#include "app/controls/split_choice_rules.h"
#include "app/win32/plain_controls.h"
#include "app/win32/rows_dialog.h"
#include "text/encoding.h"
#include "text/texts.h"

namespace colsplit::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"ColsplitMainWindow";

bool register_window_class(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, L"DEFAULT_ICON");
  window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), 0));
  window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool is_user_input(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_NCMOUSEHOVER ||
         message == WM_NCMOUSELEAVE || message == WM_MOUSEHOVER || message == WM_MOUSELEAVE;
}

// Enough for a burst of paints and timers, never an endless loop.
constexpr int kMostMessagesPerPump = 256;

}  // namespace

std::unique_ptr<AppWindow> AppWindow::create(HINSTANCE instance, const Handlers& handlers) {
  std::unique_ptr<AppWindow> window(new AppWindow(handlers));
  if (!window->build(instance)) return nullptr;
  return window;
}

AppWindow::~AppWindow() {
  if (main_ && IsWindow(main_)) DestroyWindow(main_);
  for (HBRUSH brush : background_brushes_) {
    if (brush) DeleteObject(brush);
  }
}

bool AppWindow::build(HINSTANCE instance) {
  if (!register_window_class(instance, window_procedure)) return false;
  const WindowRecord& record = kMainWindowRecord;
  // Centred on the whole primary screen, not its work area.
  const int left = (GetSystemMetrics(SM_CXSCREEN) - record.outer_width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - record.outer_height) / 2;
  main_ = CreateWindowExW(record.ex_style, kWindowClass, gbk_to_wide(*record.caption).c_str(), record.style, left,
                          top, record.outer_width, record.outer_height, nullptr, nullptr, instance, this);
  if (!main_) return false;
  SendMessageW(main_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);

  for (std::size_t row = 0; row < kControlCount; ++row) {
    if (kControlTable[row].background.kind == Colour::Kind::fixed) {
      background_brushes_[row] = CreateSolidBrush(kControlTable[row].background.fixed);
    }
  }
  // From the last row to the first, so that the group box exists before
  // the controls it holds.
  for (std::size_t row = kControlCount; row-- > 0;) {
    if (!create_control(instance, static_cast<ControlName>(row))) return false;
  }
  for (std::size_t row = 0; row < kControlCount; ++row) {
    if (controls_[row] && kControlTable[row].visible) ShowWindow(controls_[row], SW_SHOWNA);
  }
  make_control_wrappers();
  title_tip_.create(instance, main_, control(ControlName::超级列表框1), texts::kTitleRowTip);
  return true;
}

bool AppWindow::create_control(HINSTANCE instance, ControlName name) {
  const ControlRecord& record = record_of(name);
  const HWND parent = record.container == Container::group_box ? control(ControlName::分组框1) : main_;
  const ControlPlace place{record, parent, instance};
  HWND window = nullptr;
  switch (record.kind) {
    case ControlKind::drop_target:
      // No window: an OLE drop target, registered on the main window by the
      // created event, that fires the record's event with the dropped names.
      drop_target_.emplace([this] { return !busy_ && !reporting_; },
                           [this, event = record.event](const Text& dropped) { fire(event, dropped); });
      return true;
    case ControlKind::edit_box: window = Win32EditBox::create(place); break;
    case ControlKind::combo_box: window = Win32ComboBox::create(place); break;
    case ControlKind::list_view: window = Win32ListView::create(place); break;
    case ControlKind::progress_bar: window = Win32ProgressBar::create(place); break;
    case ControlKind::push_button: window = Win32Button::create(place); break;
    case ControlKind::label: window = Win32Label::create(place); break;
    case ControlKind::group_box: window = Win32GroupBox::create(place, main_); break;
  }
  controls_[static_cast<std::size_t>(name)] = window;
  return window != nullptr;
}

void AppWindow::make_control_wrappers() {
  edit_box_1_.emplace(control(ControlName::编辑框1));
  edit_box_2_.emplace(control(ControlName::编辑框2));
  combo_box_1_.emplace(control(ControlName::组合框1));
  list_view_1_.emplace(control(ControlName::超级列表框1));
  list_view_2_.emplace(control(ControlName::超级列表框2));
  progress_bar_1_.emplace(control(ControlName::进度条1), [this] { return busy_; }, [this] { keep_painting(); });
  worker_.emplace([this] { return busy_; }, [this] { keep_painting(); });
  dialogs_.emplace([this] { sync_controls(); },
                   [this] {
                     // The message box has no owner, so nothing hands the
                     // activation back when it closes (Wine without a window
                     // manager leaves no window active): take it back, so
                     // that the keyboard (Esc) reaches the window again.
                     SetForegroundWindow(main_);
                     // A dialog gives its owner back enabled; while the
                     // handler goes on, the window still takes no input.
                     if (busy_) EnableWindow(main_, FALSE);
                   });
  view_.emplace(MainWindow{*edit_box_1_, *edit_box_2_, *combo_box_1_, *list_view_1_, *list_view_2_, *progress_bar_1_,
                           *dialogs_, clock_, *worker_, session_});
}

void AppWindow::fire(EventBinding event, const Text& argument) {
  switch (event) {
    case EventBinding::window_created:
      on_window_created(*this);
      return;
    case EventBinding::files_dropped:
      // Another workbook's columns: the further split columns meant the old ones.
      if (handlers_.files_dropped) {
        run_handler([&] {
          handlers_.files_dropped(*view_, argument);
          session_.choices.also_by.clear();
        });
      }
      return;
    case EventBinding::export_clicked:
      settle_split_choices();
      if (handlers_.export_clicked) run_handler([&] { handlers_.export_clicked(*view_); });
      return;
    case EventBinding::choose_folder_clicked:
      if (handlers_.choose_folder_clicked) run_handler([&] { handlers_.choose_folder_clicked(*view_); });
      return;
    case EventBinding::none:
      return;
  }
}

Win32ListView& AppWindow::list_view(ControlName name) {
  return name == ControlName::超级列表框2 ? *list_view_2_ : *list_view_1_;
}

void AppWindow::show() {
  ShowWindow(main_, SW_SHOW);
  UpdateWindow(main_);
  SetFocus(control(ControlName::超级列表框1));
}

bool AppWindow::belongs_to_window(HWND window) const { return window == main_ || IsChild(main_, window); }

int AppWindow::run_message_loop() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Esc anywhere in the window is a close request; no control keeps it.
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && belongs_to_window(message.hwnd)) {
      PostMessageW(main_, WM_CLOSE, 0, 0);
      continue;
    }
    // Tab and Shift+Tab among the tab stops; Enter gives an IDOK command
    // that nothing answers.
    if (IsDialogMessageW(main_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

void AppWindow::sync_controls() {
  if (list_view_1_) list_view_1_->sync();
  if (list_view_2_) list_view_2_->sync();
  if (progress_bar_1_) progress_bar_1_->sync();
}

void AppWindow::keep_painting() {
  if (list_view_1_) list_view_1_->sync();
  if (list_view_2_) list_view_2_->sync();
  MSG message{};
  for (int count = 0; count < kMostMessagesPerPump && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++count) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (is_user_input(message.message)) continue;
    DispatchMessageW(&message);
  }
}

void AppWindow::begin_runtime_error_report() {
  reporting_.store(true);
  if (main_ && IsWindow(main_)) EnableWindow(main_, TRUE);
}

std::optional<std::size_t> AppWindow::place_of(HWND window) const {
  for (std::size_t place = 0; place < kControlCount; ++place) {
    if (controls_[place] && controls_[place] == window) return place;
  }
  // The text field and the list of a combo box are parts of it.
  const HWND parent = GetParent(window);
  for (std::size_t place = 0; place < kControlCount; ++place) {
    if (kControlTable[place].kind == ControlKind::combo_box && controls_[place] && controls_[place] == parent) {
      return place;
    }
  }
  return std::nullopt;
}

HBRUSH AppWindow::colours_for(HWND control_window, HDC dc) const {
  const std::optional<std::size_t> place = place_of(control_window);
  if (!place) return nullptr;
  const ControlRecord& record = kControlTable[*place];
  if (!record.background.set()) return nullptr;
  if (record.text_colour.set()) SetTextColor(dc, record.text_colour.value());
  SetBkColor(dc, record.background.value());
  return record.background.kind == Colour::Kind::system ? GetSysColorBrush(record.background.system_index)
                                                         : background_brushes_[*place];
}

void AppWindow::handle_notify(const NMHDR& header) {
  if (header.code != LVN_GETDISPINFOW) return;
  for (ControlName name : {ControlName::超级列表框1, ControlName::超级列表框2}) {
    if (header.hwndFrom == control(name)) {
      list_view(name).fill_display_info(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
    }
  }
}

bool AppWindow::open_list_menu(HWND source, LPARAM position) {
  // The header is the list's child, and passes its menu request on.
  const HWND list = control(ControlName::超级列表框1);
  if (source != list && GetParent(source) != list) return false;
  if (busy_ || reporting_) return true;
  const ListMenuPlace place = place_list_menu(list, source, position);
  ListMenuContent content;
  content.workbook_loaded = !session_.source.file_name.empty();
  // The names may have to be read from the file: a handler's run, so that
  // the window keeps painting meanwhile.
  if (content.workbook_loaded && handlers_.worksheet_names) {
    run_handler([&] { content.sheet_names = handlers_.worksheet_names(*view_); });
    if (reporting_) return true;
  }
  content.shown_sheet = session_.source.sheet_index;
  content.row_clicked = place.row >= 0;
  settle_split_choices();
  const SplitChoices& choices = session_.choices;
  content.keep_format = choices.keep_format;
  content.into_sheets = choices.into_sheets;
  content.csv = choices.csv;
  const int columns = std::min(view_->超级列表框1.column_count(), kMostAlsoByItems);
  for (int column = 0; column < columns; ++column) content.headings.push_back(view_->超级列表框1.column_heading(column));
  content.chosen_column = chosen_column(view_->组合框1);
  content.also_by = choices.also_by;
  content.rows_per_output = choices.rows_per_output;
  const HMENU menu = build_list_menu(content);
  if (!menu) return true;
  const UINT command = menu_chooser_(menu, main_, place.at);
  DestroyMenu(menu);
  run_list_menu_command(command, place.row, content);
  return true;
}

void AppWindow::run_list_menu_command(UINT command, int row, const ListMenuContent& content) {
  switch (command) {
    case 0:
      return;
    case kSetHeadingRowCommand:
      if (handlers_.heading_row_chosen) run_handler([&] { handlers_.heading_row_chosen(*view_, row); });
      return;
    case kKeepFormatCommand:
      if (handlers_.keep_format_chosen) run_handler([&] { handlers_.keep_format_chosen(*view_, !content.keep_format); });
      return;
    case kIntoSheetsCommand:
      if (handlers_.into_sheets_chosen) {
        run_handler([&] { handlers_.into_sheets_chosen(*view_, !content.into_sheets); });
      }
      return;
    case kCsvCommand:
      if (handlers_.csv_chosen) run_handler([&] { handlers_.csv_chosen(*view_, !content.csv); });
      return;
    case kRowsPerOutputCommand:
      toggle_rows_per_output(content);
      return;
    default: {
      const UINT column = command - kFirstAlsoByCommand;
      if (command >= kFirstAlsoByCommand && column < content.headings.size()) {
        run_handler([&] { toggle_also_by(session_.choices, static_cast<int>(column)); });
        return;
      }
      // Only a listed sheet: Wine's menu answers a menu left with Esc after
      // a submenu was opened by its key with -2, not 0.
      const UINT sheet = command - kFirstSheetCommand;
      if (command >= kFirstSheetCommand && sheet < content.sheet_names.size() && handlers_.sheet_chosen) {
        run_handler([&] {
          handlers_.sheet_chosen(*view_, static_cast<int>(sheet));
          session_.choices.also_by.clear();
        });
      }
      return;
    }
  }
}

void AppWindow::toggle_rows_per_output(const ListMenuContent& content) {
  if (content.rows_per_output > 0) {
    run_handler([&] { session_.choices.rows_per_output = 0; });
    return;
  }
  sync_controls();
  const std::optional<int> rows = ask_rows_per_output(main_, rows_asked_last_);
  // The dialog gives the activation back to nothing under Wine without a
  // window manager: take it, so that the keyboard reaches the window again.
  SetForegroundWindow(main_);
  if (!rows) return;
  rows_asked_last_ = *rows;
  run_handler([&] { session_.choices.rows_per_output = *rows; });
}

void AppWindow::settle_split_choices() {
  if (reporting_ || !view_) return;
  const int chosen = chosen_column(view_->组合框1);
  drop_unusable_also_by(session_.choices, chosen, view_->超级列表框1.column_count());
  Text shown = texts::kTipText;
  if (const Text split = describe_split(session_.choices, view_->超级列表框1, chosen); !split.empty()) {
    shown += texts::kSplitNowLine;
    shown += split;
  }
  if (view_->编辑框2.text() != shown) view_->编辑框2.set_text(shown);
}

void AppWindow::update_title_tip() {
  if (reporting_ || !handlers_.headings_look_like_a_title || !list_view_1_) return;
  title_tip_.set_active(handlers_.headings_look_like_a_title(*list_view_1_, session_.source));
}

LRESULT AppWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      // A click fires the event that the button's record binds; other
      // commands (IDOK from Enter, the parts of the combo box) have none.
      if (HIWORD(wparam) == BN_CLICKED) {
        const ControlRecord* record = record_of_id(LOWORD(wparam));
        if (record && is_click(record->event)) fire(record->event);
      }
      // A heading picked in the heading box changes what the split is by.
      if (HIWORD(wparam) == CBN_SELCHANGE && LOWORD(wparam) == control_id(ControlName::组合框1) && !busy_) {
        settle_split_choices();
      }
      return 0;
    case WM_NOTIFY:
      handle_notify(*reinterpret_cast<const NMHDR*>(lparam));
      return 0;
    case WM_CONTEXTMENU:
      if (open_list_menu(reinterpret_cast<HWND>(wparam), lparam)) return 0;
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      if (HBRUSH brush = colours_for(reinterpret_cast<HWND>(lparam), reinterpret_cast<HDC>(wparam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    case WM_ACTIVATE:
      // Like a dialog: the focus comes back where it was.
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(main_, focus)) focus_before_deactivation_ = focus;
      } else if (focus_before_deactivation_ && IsWindow(focus_before_deactivation_)) {
        SetFocus(focus_before_deactivation_);
      }
      return 0;
    case WM_CLOSE:
      // A handler runs to its end before the window may close; the error
      // report ends the program itself, when its box is closed.
      if (busy_ || reporting_) return 0;
      DestroyWindow(main_);
      return 0;
    case WM_DESTROY:
      RevokeDragDrop(main_);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(main_, message, wparam, lparam);
}

LRESULT CALLBACK AppWindow::window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<AppWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->main_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<AppWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wparam, lparam);
  LRESULT result = 0;
  report_escaping_exceptions([&] { result = self->handle_message(message, wparam, lparam); });
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->main_ = nullptr;
  }
  return result;
}

void on_window_created(AppWindow& window) { window.drop_target().register_on(window.handle()); }

}  // namespace colsplit::win32
