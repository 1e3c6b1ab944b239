// Reads and drives the running colsplit.exe from outside, as a user would,
// for the end-to-end tests: texts come back as UTF-8 on standard output.
//
//   win_probe wait-window CAPTION [TIMEOUT_MS]   the window's handle, once it exists
//   win_probe dump CAPTION                       every child window: class, text, rectangle
//   win_probe edit-text CAPTION N                the text of the N-th edit box (creation order)
//   win_probe set-edit CAPTION N TEXT            types TEXT into the N-th edit box
//   win_probe combo CAPTION                      the combo box's field and items
//   win_probe combo-select CAPTION INDEX         picks an item, as a user does (the box's owner hears
//                                                CBN_SELCHANGE)
//   win_probe menus CAPTION                      how many popup menus are open (a submenu counts too)
//   win_probe list CAPTION N                     the N-th list view: columns, rows and cells
//   win_probe row-point CAPTION N ROW            the screen point in the middle of the N-th list view's row
//   win_probe click CAPTION BUTTON-TEXT          presses a button (without waiting for its handler)
//   win_probe answer-box CAPTION [TIMEOUT_MS]    waits for a message box, prints its text, presses OK
//   win_probe box-thread CAPTION BOX [TIMEOUT_MS] waits for a message box captioned BOX and prints
//                                                "window thread" when the thread of the window
//                                                captioned CAPTION owns it, else "other thread"
//   win_probe close CAPTION                      sends Esc to the window
//   win_probe progress CAPTION                   the progress bar: position, maximum, screen rectangle
//   win_probe watch CAPTION MS                   how many states (position, maximum) the progress bar
//                                                went through in MS milliseconds, read every 5 ms
//   win_probe paint-watch CAPTION MS             reads the progress bar's position and its pixels on the
//                                                screen every 5 ms, until the bar has shown two positions
//                                                above 0 and two different pictures at such positions,
//                                                or MS milliseconds have passed; prints the positions
//                                                seen, the pictures seen, the pixels that differ between
//                                                the first two, the first and the last position
//   win_probe responds CAPTION TIMEOUT_MS        milliseconds the window took to answer a message
//                                                (exit status 1 when it did not answer in time)
//   win_probe time-load CAPTION ROWS TIMEOUT_MS  times a load from the outside: prints "polling" once it
//                                                watches, then reads the first list view's row count, the
//                                                progress bar and the first edit box every millisecond or
//                                                so until the list holds ROWS rows and the edit box a
//                                                folder; prints "first MS" (the bar left 0 or the list got
//                                                rows), "full MS" (both done) and "polls N", the moments in
//                                                Unix milliseconds of the host clock (exit status 1, and
//                                                -1 for what was not seen, after TIMEOUT_MS)
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "text/encoding.h"

namespace {

std::string to_utf8(const std::wstring& wide) { return colsplit::wide_to_utf8(wide); }

// Control characters are shown escaped so that every cell stays on one line.
std::string printable(const std::wstring& wide) {
  std::string out;
  for (char c : to_utf8(wide)) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out;
}

std::wstring window_text(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return text;
}

std::wstring class_name(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

HWND wait_for_window(const std::wstring& caption, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindWindowW(nullptr, caption.c_str());
    if (window) return window;
    if (GetTickCount() - start > timeout_ms) return nullptr;
    Sleep(100);
  }
}

BOOL CALLBACK collect_child(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

// Every descendant, in z-order (for windows never raised, creation order).
std::vector<HWND> descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, collect_child, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The controls of a class; the text field inside a combo box is part of
// the combo box, not an edit box of its own.
std::vector<HWND> of_class(HWND main, const wchar_t* wanted) {
  std::vector<HWND> matches;
  for (HWND child : descendants(main)) {
    if (class_name(child) == wanted && class_name(GetParent(child)) != WC_COMBOBOXW) matches.push_back(child);
  }
  return matches;
}

HWND main_window_or_die(const wchar_t* caption) {
  HWND window = wait_for_window(caption, 10000);
  if (!window) {
    std::fprintf(stderr, "no window captioned %s\n", to_utf8(caption).c_str());
    std::exit(2);
  }
  return window;
}

HWND nth_or_die(const std::vector<HWND>& windows, int index, const char* what) {
  if (index < 0 || static_cast<std::size_t>(index) >= windows.size()) {
    std::fprintf(stderr, "no %s number %d (there are %u)\n", what, index, static_cast<unsigned>(windows.size()));
    std::exit(2);
  }
  return windows[static_cast<std::size_t>(index)];
}

// List-view texts live in the other process: the request and its buffer are
// placed there with VirtualAllocEx.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, std::size_t size) : size_(size) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id);
    address_ = process_ ? VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE) : nullptr;
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  bool ok() const { return address_ != nullptr; }
  char* address() const { return static_cast<char*>(address_); }
  void write(std::size_t offset, const void* data, std::size_t size) {
    WriteProcessMemory(process_, address() + offset, data, size, nullptr);
  }
  void read(std::size_t offset, void* data, std::size_t size) {
    ReadProcessMemory(process_, address() + offset, data, size, nullptr);
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  std::size_t size_;
};

constexpr std::size_t kTextChars = 8192;

std::wstring remote_item_text(RemoteBuffer& remote, HWND list, int row, int column) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(remote.address() + sizeof(LVITEMW));
  item.cchTextMax = static_cast<int>(kTextChars);
  remote.write(0, &item, sizeof item);
  const wchar_t nothing = 0;
  remote.write(sizeof(LVITEMW), &nothing, sizeof nothing);
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.address()));
  std::wstring text(kTextChars, L'\0');
  remote.read(sizeof(LVITEMW), text.data(), kTextChars * sizeof(wchar_t));
  text.resize(wcsnlen(text.c_str(), kTextChars));
  return text;
}

std::wstring remote_column_heading(RemoteBuffer& remote, HWND list, int column) {
  LVCOLUMNW definition{};
  definition.mask = LVCF_TEXT;
  definition.pszText = reinterpret_cast<wchar_t*>(remote.address() + sizeof(LVCOLUMNW));
  definition.cchTextMax = static_cast<int>(kTextChars);
  remote.write(0, &definition, sizeof definition);
  const wchar_t nothing = 0;
  remote.write(sizeof(LVCOLUMNW), &nothing, sizeof nothing);
  SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(remote.address()));
  std::wstring text(kTextChars, L'\0');
  remote.read(sizeof(LVCOLUMNW), text.data(), kTextChars * sizeof(wchar_t));
  text.resize(wcsnlen(text.c_str(), kTextChars));
  return text;
}

int dump(HWND main) {
  for (HWND child : descendants(main)) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&rect), 2);
    std::printf("%s\t%s\t%ld,%ld,%ld,%ld\t%08lx\t%08lx\n", printable(class_name(child)).c_str(),
                printable(window_text(child)).c_str(), rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top, static_cast<unsigned long>(GetWindowLongW(child, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongW(child, GWL_EXSTYLE)));
  }
  return 0;
}

int list(HWND main, int index) {
  HWND view = nth_or_die(of_class(main, WC_LISTVIEWW), index, "list view");
  HWND header = reinterpret_cast<HWND>(SendMessageW(view, LVM_GETHEADER, 0, 0));
  const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  const int rows = static_cast<int>(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
  std::printf("columns %d\nrows %d\n", columns, rows);
  RemoteBuffer remote(view, sizeof(LVITEMW) + sizeof(LVCOLUMNW) + (kTextChars + 1) * sizeof(wchar_t));
  if (!remote.ok()) {
    std::fprintf(stderr, "cannot reach the list view's process\n");
    return 2;
  }
  std::string line = "heading";
  for (int column = 0; column < columns; ++column) {
    line += '\t';
    line += printable(remote_column_heading(remote, view, column));
  }
  std::printf("%s\n", line.c_str());
  for (int row = 0; row < rows; ++row) {
    line = "row";
    for (int column = 0; column < columns; ++column) {
      line += '\t';
      line += printable(remote_item_text(remote, view, row, column));
    }
    std::printf("%s\n", line.c_str());
  }
  return 0;
}

// The screen point at the middle of a list view's row: "point X Y".
int row_point(HWND main, int index, int row) {
  HWND view = nth_or_die(of_class(main, WC_LISTVIEWW), index, "list view");
  RemoteBuffer remote(view, sizeof(RECT));
  if (!remote.ok()) {
    std::fprintf(stderr, "cannot reach the list view's process\n");
    return 2;
  }
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  remote.write(0, &rect, sizeof rect);
  if (!SendMessageW(view, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.address()))) {
    std::fprintf(stderr, "no row %d\n", row);
    return 1;
  }
  remote.read(0, &rect, sizeof rect);
  POINT middle{rect.left + 20, (rect.top + rect.bottom) / 2};
  ClientToScreen(view, &middle);
  std::printf("point %ld %ld\n", static_cast<long>(middle.x), static_cast<long>(middle.y));
  return 0;
}

int combo(HWND main) {
  HWND box = nth_or_die(of_class(main, WC_COMBOBOXW), 0, "combo box");
  std::printf("field\t%s\n", printable(window_text(box)).c_str());
  std::printf("selection\t%d\n", static_cast<int>(SendMessageW(box, CB_GETCURSEL, 0, 0)));
  const int count = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    std::printf("item\t%s\t%ld\n", printable(text).c_str(),
                static_cast<long>(SendMessageW(box, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
  }
  return 0;
}

// The pixels of a screen rectangle as the X server shows them (Wine reads
// the screen of every process through the desktop's device context).
std::vector<std::uint32_t> screen_pixels(const RECT& rect) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

int paint_watch(HWND main, DWORD duration_ms) {
  HWND bar = nth_or_die(of_class(main, PROGRESS_CLASSW), 0, "progress bar");
  RECT rect{};
  GetWindowRect(bar, &rect);
  std::vector<LRESULT> positions;
  std::vector<std::vector<std::uint32_t>> pictures;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < duration_ms && (positions.size() < 2 || pictures.size() < 2)) {
    const LRESULT position = SendMessageW(bar, PBM_GETPOS, 0, 0);
    if (position > 0) {
      if (positions.empty() || positions.back() != position) positions.push_back(position);
      std::vector<std::uint32_t> picture = screen_pixels(rect);
      if (pictures.empty() || (pictures.size() < 2 && picture != pictures.back())) pictures.push_back(std::move(picture));
    }
    Sleep(5);
  }
  std::size_t changed = 0;
  if (pictures.size() == 2) {
    for (std::size_t i = 0; i < pictures[0].size(); ++i) changed += pictures[0][i] != pictures[1][i];
  }
  std::printf("%u\t%u\t%u\t%ld\t%ld\n", static_cast<unsigned>(positions.size()), static_cast<unsigned>(pictures.size()),
              static_cast<unsigned>(changed), positions.empty() ? 0L : static_cast<long>(positions.front()),
              positions.empty() ? 0L : static_cast<long>(positions.back()));
  return 0;
}

// Milliseconds since 1970 by the system clock, which Wine takes from the
// host's: comparable with time.time() of a script on the same machine.
long long unix_milliseconds() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  constexpr unsigned long long kTicksFrom1601To1970 = 116444736000000000ULL;
  return static_cast<long long>((ticks - kTicksFrom1601To1970) / 10000);
}

// One message at a time, as few as the stage needs: while the window's
// thread fills the list it takes sent messages only between two positions
// of the bar, and each one waits for that. A window that stops answering
// for the whole timeout counts as 0.
LRESULT ask(HWND window, UINT message, DWORD timeout_ms) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, 0, 0, SMTO_NORMAL, timeout_ms, &result)) return 0;
  return static_cast<LRESULT>(result);
}

int time_load(HWND main, LRESULT rows, DWORD timeout_ms) {
  HWND view = nth_or_die(of_class(main, WC_LISTVIEWW), 0, "list view");
  HWND bar = nth_or_die(of_class(main, PROGRESS_CLASSW), 0, "progress bar");
  HWND edit = nth_or_die(of_class(main, WC_EDITW), 0, "edit box");
  // Under Wine Sleep(1) sleeps about a millisecond (on Windows a scheduler
  // tick unless the timer resolution was raised).
  std::printf("polling\n");
  std::fflush(stdout);
  long long first = -1, full = -1;
  unsigned long polls = 0;
  const DWORD start = GetTickCount();
  while (full < 0 && GetTickCount() - start < timeout_ms) {
    ++polls;
    const LRESULT count = ask(view, LVM_GETITEMCOUNT, timeout_ms);
    if (first < 0 && (count > 0 || ask(bar, PBM_GETPOS, timeout_ms) > 0)) first = unix_milliseconds();
    if (count == rows && ask(edit, WM_GETTEXTLENGTH, timeout_ms) > 0) full = unix_milliseconds();
    if (full < 0) Sleep(1);
  }
  std::printf("first %lld\nfull %lld\npolls %lu\n", first, full, polls);
  return full < 0 ? 1 : 0;
}

// A shown top-level window of the caption: one that went away may linger,
// hidden, with the same caption.
struct VisibleSearch {
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK match_visible(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<VisibleSearch*>(data);
  if (!IsWindowVisible(window) || window_text(window) != search.caption) return TRUE;
  search.found = window;
  return FALSE;
}

HWND visible_window(const wchar_t* caption) {
  VisibleSearch search{caption, nullptr};
  EnumWindows(match_visible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int answer_box(const wchar_t* caption, DWORD timeout_ms) {
  // The box may be found before its texts are made, or while an earlier box
  // of the same caption is still going away: the visible one with texts is
  // waited for.
  const DWORD start = GetTickCount();
  HWND box = nullptr;
  std::vector<std::wstring> texts;
  for (;;) {
    box = visible_window(caption);
    if (box) {
      texts.clear();
      for (HWND child : descendants(box)) {
        if (class_name(child) != L"Static") continue;
        if (std::wstring text = window_text(child); !text.empty()) texts.push_back(std::move(text));
      }
      if (!texts.empty()) break;
    }
    if (GetTickCount() - start > timeout_ms) break;
    Sleep(100);
  }
  if (!box) box = FindWindowW(nullptr, caption);
  if (!box) {
    std::fprintf(stderr, "no message box captioned %s\n", to_utf8(caption).c_str());
    return 2;
  }
  for (const std::wstring& text : texts) std::printf("%s\n", printable(text).c_str());
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return 0;
}

}  // namespace

// Arguments come as UTF-16 (wmain), so Chinese captions arrive whatever the
// ANSI code page is.
int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: win_probe COMMAND CAPTION ...\n");
    return 2;
  }
  const std::wstring command = argv[1];
  const auto number = [&](int at, int fallback) { return argc > at ? _wtoi(argv[at]) : fallback; };
  if (command == L"wait-window") {
    HWND window = wait_for_window(argv[2], static_cast<DWORD>(number(3, 10000)));
    if (!window) return 1;
    std::printf("%p\n", static_cast<void*>(window));
    return 0;
  }
  if (command == L"answer-box") return answer_box(argv[2], static_cast<DWORD>(number(3, 60000)));
  if (command == L"box-thread" && argc > 3) {
    HWND main = main_window_or_die(argv[2]);
    HWND box = wait_for_window(argv[3], static_cast<DWORD>(number(4, 60000)));
    if (!box) {
      std::fprintf(stderr, "no message box captioned %s\n", to_utf8(argv[3]).c_str());
      return 2;
    }
    const bool same = GetWindowThreadProcessId(box, nullptr) == GetWindowThreadProcessId(main, nullptr);
    std::printf("%s thread\n", same ? "window" : "other");
    return 0;
  }
  HWND main = main_window_or_die(argv[2]);
  if (command == L"dump") return dump(main);
  if (command == L"combo") return combo(main);
  if (command == L"list" && argc > 3) return list(main, number(3, 0));
  if (command == L"row-point" && argc > 4) return row_point(main, number(3, 0), number(4, 0));
  if (command == L"edit-text" && argc > 3) {
    std::printf("%s\n", printable(window_text(nth_or_die(of_class(main, WC_EDITW), number(3, 0), "edit box"))).c_str());
    return 0;
  }
  if (command == L"set-edit" && argc > 4) {
    HWND edit = nth_or_die(of_class(main, WC_EDITW), number(3, 0), "edit box");
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
    return 0;
  }
  if (command == L"combo-select" && argc > 3) {
    HWND box = nth_or_die(of_class(main, WC_COMBOBOXW), 0, "combo box");
    if (SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(number(3, 0)), 0) == CB_ERR) return 1;
    SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box));
    return 0;
  }
  if (command == L"menus") {
    int open = 0;
    for (HWND menu = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); menu;
         menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
      open += IsWindowVisible(menu) ? 1 : 0;
    }
    std::printf("%d\n", open);
    return 0;
  }
  if (command == L"click" && argc > 3) {
    for (HWND child : descendants(main)) {
      if (class_name(child) == L"Button" && window_text(child) == argv[3]) {
        PostMessageW(child, BM_CLICK, 0, 0);
        return 0;
      }
    }
    std::fprintf(stderr, "no button %s\n", to_utf8(argv[3]).c_str());
    return 2;
  }
  if (command == L"progress") {
    HWND bar = nth_or_die(of_class(main, PROGRESS_CLASSW), 0, "progress bar");
    RECT rect{};
    GetWindowRect(bar, &rect);
    std::printf("%ld\t%ld\t%ld,%ld,%ld,%ld\n", static_cast<long>(SendMessageW(bar, PBM_GETPOS, 0, 0)),
                static_cast<long>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0)), rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top);
    return 0;
  }
  if (command == L"watch" && argc > 3) {
    HWND bar = nth_or_die(of_class(main, PROGRESS_CLASSW), 0, "progress bar");
    const DWORD start = GetTickCount();
    LRESULT last_position = -1, last_maximum = -1;
    int states = 0;
    while (GetTickCount() - start < static_cast<DWORD>(number(3, 1000))) {
      const LRESULT position = SendMessageW(bar, PBM_GETPOS, 0, 0);
      const LRESULT maximum = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
      if (position != last_position || maximum != last_maximum) ++states;
      last_position = position;
      last_maximum = maximum;
      Sleep(5);
    }
    std::printf("%d\n", states);
    return 0;
  }
  if (command == L"paint-watch" && argc > 3) return paint_watch(main, static_cast<DWORD>(number(3, 1000)));
  if (command == L"responds" && argc > 3) {
    const DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(number(3, 1000)), &result)) return 1;
    std::printf("%lu\n", static_cast<unsigned long>(GetTickCount() - start));
    return 0;
  }
  if (command == L"time-load" && argc > 3) {
    return time_load(main, static_cast<LRESULT>(number(3, 0)), static_cast<DWORD>(number(4, 60000)));
  }
  if (command == L"close") {
    PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
    return 0;
  }
  std::fprintf(stderr, "unknown command %s\n", to_utf8(command).c_str());
  return 2;
}
