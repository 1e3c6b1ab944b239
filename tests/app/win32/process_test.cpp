// The window programs as processes, driven from outside as a user would:
// keys and clicks posted to their windows, boxes found by their captions.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/runtime_error/runtime_error_report.h"
#include "text/encoding.h"
#include "text/texts.h"
#include "app/win32/window_definition.h"

namespace colsplit::win32 {
namespace {

constexpr DWORD kPatience = 30000;  // milliseconds; the first Wine start is slow

std::wstring program_directory() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring directory = path;
  return directory.substr(0, directory.find_last_of(L'\\'));
}

std::wstring text_of(HWND window) {
  wchar_t text[4096] = {};
  SendMessageW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
  return text;
}

// Polls until `find` gives a window or the patience runs out.
HWND wait_for(const std::function<HWND()>& find) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < kPatience; Sleep(50)) {
    if (HWND found = find()) return found;
  }
  return nullptr;
}

struct Search {
  DWORD process;
  const wchar_t* window_class;
  std::wstring caption;
  HWND found = nullptr;
};

BOOL CALLBACK match_top_level(HWND window, LPARAM data) {
  auto& s = *reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (owner != s.process || _wcsicmp(name, s.window_class) != 0 || !IsWindowVisible(window)) return TRUE;
  if (!s.caption.empty() && text_of(window) != s.caption) return TRUE;
  s.found = window;
  return FALSE;
}

// A top-level window of the process with this class and, when given, caption.
HWND top_level_window(DWORD process, const wchar_t* window_class, const std::wstring& caption = {}) {
  Search search{process, window_class, caption};
  EnumWindows(match_top_level, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK match_id(HWND window, LPARAM data) {
  auto& s = *reinterpret_cast<std::pair<int, HWND>*>(data);
  if (GetDlgCtrlID(window) != s.first) return TRUE;
  s.second = window;
  return FALSE;
}

HWND child_with_id(HWND parent, int id) {
  std::pair<int, HWND> search{id, nullptr};
  EnumChildWindows(parent, match_id, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

// One run of a window program of the build.
class Program {
 public:
  // `name` is a program of the build, or a full path.
  explicit Program(const std::wstring& name, const std::wstring& current_directory = {}) {
    const std::wstring path = name.find(L':') == std::wstring::npos ? program_directory() + L"\\" + name : name;
    std::wstring command = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // Under Wine a start now and then fails at once (seen as the first start
    // of a run): it is tried again a few times, as the tests' other child
    // processes are, and the last error kept for the failure's text.
    for (DWORD pause = 100; !started_ && pause <= 800; pause *= 2) {
      started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                current_directory.empty() ? nullptr : current_directory.c_str(), &startup, &process_);
      if (!started_) {
        start_error_ = GetLastError();
        Sleep(pause);
      }
    }
    if (started_) {
      main_ = wait_for([&] { return top_level_window(process_.dwProcessId, L"ColsplitMainWindow"); });
    }
  }
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  HWND main() const { return main_; }
  // Why the program could not be started (GetLastError), 0 when it was.
  DWORD start_error() const { return started_ ? 0 : start_error_; }
  HWND control(ControlName name) const { return child_with_id(main_, control_id(name)); }
  HWND box(const Text& caption) const {
    return wait_for([&] { return top_level_window(process_.dwProcessId, L"#32770", gbk_to_wide(caption)); });
  }
  HWND any_dialog() const { return wait_for([&] { return top_level_window(process_.dwProcessId, L"#32770"); }); }

  // Types a command into 编辑框1 and presses the folder button.
  void run_command(const wchar_t* command) const {
    SendMessageW(control(ControlName::编辑框1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(command));
    PostMessageW(control(ControlName::按钮_选择目录), BM_CLICK, 0, 0);
  }
  std::wstring wait_for_folder_text_other_than(const std::wstring& before) const {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kPatience; Sleep(50)) {
      const std::wstring now = text_of(control(ControlName::编辑框1));
      if (now != before) return now;
    }
    return before;
  }

  // The exit code, once the process has ended.
  DWORD exit_code() const {
    if (WaitForSingleObject(process_.hProcess, kPatience) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

 private:
  BOOL started_ = FALSE;
  DWORD start_error_ = 0;
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

BOOL CALLBACK keep_longest_static_text(HWND window, LPARAM data) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  auto& best = *reinterpret_cast<std::wstring*>(data);
  const std::wstring text = text_of(window);
  if (_wcsicmp(name, L"Static") == 0 && text.size() > best.size()) best = text;
  return TRUE;
}

// The box's text: the static control of a message box.
std::wstring box_text(HWND box) {
  std::wstring longest;
  EnumChildWindows(box, keep_longest_static_text, reinterpret_cast<LPARAM>(&longest));
  return longest;
}

void press(HWND box, int button) { PostMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0); }

TEST(ProgramProcess, EscClosesTheWindowWithExitCodeZero) {
  for (ControlName focus : {ControlName::超级列表框1, ControlName::编辑框1, ControlName::组合框1}) {
    Program program(L"colsplit.exe");
    ASSERT_NE(program.main(), nullptr) << "start error " << program.start_error();
    HWND target = program.control(focus);
    // In the combo box the keys go to its text field.
    if (HWND field = FindWindowExW(target, nullptr, L"Edit", nullptr)) target = field;
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_EQ(program.exit_code(), 0u);
  }
}

TEST(ProgramProcess, ExecutableCarriesIconManifestAndLargeAddressSpace) {
  const std::wstring path = program_directory() + L"\\colsplit.exe";
  const HMODULE image = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  EXPECT_NE(FindResourceW(image, L"DEFAULT_ICON", MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */), nullptr);
  const HRSRC manifest = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
  ASSERT_NE(manifest, nullptr);
  // The same manifest serves the 32-bit and the 64-bit build: an assembly of
  // one architecture would make the loader of the other refuse the program
  // (a Common Controls 6 of the wrong width) before its window exists.
  const std::string text(static_cast<const char*>(LockResource(LoadResource(image, manifest))),
                         SizeofResource(image, manifest));
  FreeLibrary(image);
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  for (std::size_t at = text.find("processorArchitecture="); at != std::string::npos;
       at = text.find("processorArchitecture=", at + 1)) {
    EXPECT_EQ(text.compare(at, 25, "processorArchitecture=\"*\""), 0) << text.substr(at, 30);
  }

  std::ifstream file(path.c_str(), std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 0x400u);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
  EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST(ProgramProcess, FatalErrorShowsTheReportThenEndsWithMinusOne) {
  Program program(L"shell_probe.exe");
  ASSERT_NE(program.main(), nullptr);
  PostMessageW(program.control(ControlName::按钮_导出), BM_CLICK, 0, 0);
  const HWND box = program.box(texts::kErrorCaption);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box_text(box), gbk_to_wide(format_runtime_error(6, texts::kStackUnbalanced, 3, 7)));
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_TRUE(IsWindowVisible(program.main()));  // the window stays while the box is open
  // A second click meanwhile reaches no handler: one box only.
  PostMessageW(program.control(ControlName::按钮_导出), BM_CLICK, 0, 0);
  Sleep(300);
  press(box, IDOK);
  EXPECT_EQ(program.exit_code(), 0xFFFFFFFFu);
}

TEST(ProgramProcess, FailedMemoryRequestIsReported) {
  Program program(L"shell_probe.exe");
  ASSERT_NE(program.main(), nullptr);
  program.run_command(L"oom");
  const HWND box = program.box(texts::kErrorCaption);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box_text(box), gbk_to_wide(format_runtime_error(0, out_of_memory_message(SIZE_MAX - 255), 0, 0)));
  press(box, IDOK);
  EXPECT_EQ(program.exit_code(), 0xFFFFFFFFu);
}

DWORD thread_of(HWND window) { return GetWindowThreadProcessId(window, nullptr); }

// A fatal error inside a step of the worker (the thread on which the library
// loads and saves) is carried back: the box is the window thread's, as if
// the handler itself had raised it, and the handler does not go on.
TEST(ProgramProcess, FatalErrorsOfTheWorkerAreReportedByTheWindowsThread) {
  const struct {
    const wchar_t* command;
    Text report;
  } cases[] = {
      {L"worker-fatal", format_runtime_error(6, texts::kStackUnbalanced, 3, 8)},
      {L"worker-oom", format_runtime_error(0, out_of_memory_message(SIZE_MAX - 255), 0, 0)},
  };
  for (const auto& fatal : cases) {
    SCOPED_TRACE(wide_to_utf8(fatal.command));
    Program program(L"shell_probe.exe");
    ASSERT_NE(program.main(), nullptr);
    program.run_command(fatal.command);
    const HWND box = program.box(texts::kErrorCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box_text(box), gbk_to_wide(fatal.report));
    EXPECT_EQ(thread_of(box), thread_of(program.main()));
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    press(box, IDOK);
    EXPECT_EQ(program.exit_code(), 0xFFFFFFFFu);
  }
}

TEST(ProgramProcess, StartsInItsOwnDirectory) {
  wchar_t elsewhere[MAX_PATH] = {};
  GetWindowsDirectoryW(elsewhere, MAX_PATH);
  Program program(L"shell_probe.exe", elsewhere);
  ASSERT_NE(program.main(), nullptr);
  program.run_command(L"cwd");
  const std::wstring directory = program.wait_for_folder_text_other_than(L"cwd");
  EXPECT_EQ(_wcsicmp(directory.c_str(), program_directory().c_str()), 0) << wide_to_utf8(directory);
  PostMessageW(program.main(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exit_code(), 0u);
}

// "C:" alone would be the drive's current directory, not its root.
TEST(ProgramProcess, StartsAtTheDriveRootWhenItLivesThere) {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring root = std::wstring(windows, 3);  // "C:\"
  const std::wstring copy = root + L"colsplit_shell_probe_at_root.exe";
  ASSERT_TRUE(CopyFileW((program_directory() + L"\\shell_probe.exe").c_str(), copy.c_str(), FALSE));
  {
    Program program(copy, windows);
    ASSERT_NE(program.main(), nullptr);
    program.run_command(L"cwd");
    EXPECT_EQ(_wcsicmp(program.wait_for_folder_text_other_than(L"cwd").c_str(), root.c_str()), 0);
    PostMessageW(program.main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.exit_code(), 0u);
  }
  DeleteFileW(copy.c_str());
}

TEST(ProgramProcess, MessageBoxIsTaskModalWithoutOwner) {
  Program program(L"shell_probe.exe");
  ASSERT_NE(program.main(), nullptr);
  program.run_command(L"message");
  const HWND box = program.box(texts::kMessageCaption);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box_text(box), L"hello");
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_FALSE(IsWindowEnabled(program.main()));
  EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);  // one OK button
  press(box, IDOK);
  EXPECT_EQ(program.wait_for_folder_text_other_than(L"message"), L"shown");
  EXPECT_TRUE(IsWindowEnabled(program.main()));
  PostMessageW(program.main(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exit_code(), 0u);
}

TEST(ProgramProcess, CancelledFolderDialogGivesNothing) {
  Program program(L"shell_probe.exe");
  ASSERT_NE(program.main(), nullptr);
  program.run_command(L"folder");
  const HWND dialog = program.any_dialog();
  ASSERT_NE(dialog, nullptr);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(program.wait_for_folder_text_other_than(L"folder"), L"(cancelled)");
  PostMessageW(program.main(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.exit_code(), 0u);
}

}  // namespace
}  // namespace colsplit::win32
