// A small program that the binding tests copy into a fresh run directory and
// start there. Each argument is one step, run in order; what each step sees
// goes to standard output, the runtime error report to standard error.
//   create      create_workbook(), prints the book handle
//   set-col     xlSheetSetColA on that book, prints the line of the call first
//   counts      three calls of xlBookSheetCountA and two of xlSheetLastRowA
//   references  takes one reference of its own to the library, releases the
//               bound rows and prints whether the library is still loaded,
//               then gives its own reference back and prints it again
//   round-trip  writes a workbook through every spreadsheet row, loads it
//               again and prints what it read back
//   age         releases the bound rows (Windows keeps a loaded library file
//               locked) and sets the library file's modification time far
//               into the past
//   file-limit  (Linux) limits the size of files this process may write
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "child_process.h"
#include "xl/binding.h"
#include "xl/library_calls.h"
#include "xl/platform.h"
#include "xl/workbook_provisioning.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <signal.h>
#include <sys/resource.h>
#endif

namespace xl = colsplit::xl;

namespace {

xl::BookHandle g_book = nullptr;

// The stand-in libraries serve their one object as the book and its sheet.
xl::SheetHandle stand_in_sheet() { return reinterpret_cast<xl::SheetHandle>(g_book); }

bool library_loaded() {
#ifdef _WIN32
  return GetModuleHandleW(L"libxl.dll") != nullptr;
#else
  void* module = dlopen(colsplit::gbk_to_utf8(xl::library_file_path()).c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (module) dlclose(module);
  return module != nullptr;
#endif
}

// The directory test row, where there is one (Windows); elsewhere the file
// system's answer, so that the round trip prints the same.
int directory_answer(const colsplit::Text& path) {
#ifdef _WIN32
  return xl::PathIsDirectoryA(path) != 0 ? 1 : 0;
#else
  return std::filesystem::is_directory(colsplit::testing::native_path(path)) ? 1 : 0;
#endif
}

void round_trip() {
  const colsplit::Text path = xl::run_directory() + xl::platform::kPathSeparator + "round trip.xlsx";
  const colsplit::Text value = "\xb1\xb1\xbe\xa9";  // 北京 in GBK
  xl::BookHandle book = xl::create_workbook();
  xl::SheetHandle sheet = xl::xlBookInsertSheetA(book, xl::xlBookSheetCountA(book), value, nullptr);
  xl::FormatHandle format = xl::xlBookAddFormatA(book, nullptr);
  xl::xlFormatSetBorderA(format, 1);
  xl::xlSheetWriteStrA(sheet, 0, 0, "heading", format);
  xl::xlSheetWriteStrA(sheet, 1, 1, value, format);
  xl::xlSheetAddIgnoredErrorA(sheet, 0, 0, 1, 1, 255);
  xl::xlSheetSetColA(sheet, 0, 1, 20.0, nullptr, 0);
  std::printf("saved %d\n", xl::xlBookSaveA(book, path));
  xl::xlBookReleaseA(book);

  book = xl::create_workbook();
  std::printf("loaded %d\n", xl::xlBookLoadA(book, path));
  sheet = xl::xlBookGetSheetA(book, 0);
  std::printf("extent %d x %d\n", xl::xlSheetLastRowA(sheet), xl::xlSheetLastColA(sheet));
  std::printf("cells [%s] [%s] [%s]\n", xl::xlSheetReadStrA(sheet, 0, 0, nullptr).c_str(),
              xl::xlSheetReadStrA(sheet, 1, 1, nullptr).c_str(), xl::xlSheetReadStrA(sheet, 1, 0, nullptr).c_str());
  xl::xlBookReleaseA(book);
  std::printf("directory %d %d\n", directory_answer(xl::run_directory()), directory_answer(path));
}

int run_step(const char* step) {
  if (std::strcmp(step, "create") == 0) {
    g_book = xl::create_workbook();
    std::printf("book %lx\n", static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(g_book)));
  } else if (std::strcmp(step, "set-col") == 0) {
    std::printf("set-col at line %d\n", __LINE__ + 1);
    const int result = xl::xlSheetSetColA(stand_in_sheet(), 0, 0, 8.5, nullptr, 0);
    std::printf("set-col %d\n", result);
  } else if (std::strcmp(step, "counts") == 0) {
    int sum = 0;
    for (int i = 0; i < 3; ++i) sum += xl::xlBookSheetCountA(g_book);
    for (int i = 0; i < 2; ++i) sum += xl::xlSheetLastRowA(stand_in_sheet());
    std::printf("counts %d\n", sum);
  } else if (std::strcmp(step, "references") == 0) {
    xl::platform::Module own = xl::platform::load_library(xl::library_file_path());
    xl::release_bound_libraries();
    std::printf("loaded after release %d\n", library_loaded() ? 1 : 0);
    if (own) xl::platform::free_library(own);
    std::printf("loaded after own reference %d\n", library_loaded() ? 1 : 0);
  } else if (std::strcmp(step, "round-trip") == 0) {
    round_trip();
  } else if (std::strcmp(step, "age") == 0) {
    xl::release_bound_libraries();
    const std::filesystem::path path(colsplit::testing::native_path(xl::library_file_path()));
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400));
  } else if (std::strcmp(step, "file-limit") == 0) {
#ifndef _WIN32
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
#endif
  } else {
    std::fprintf(stderr, "unknown step %s\n", step);
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
#ifdef _WIN32
  // The report's line ends are its own; no text-mode translation.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  for (int i = 1; i < argc; ++i) {
    if (const int status = run_step(argv[i]); status != 0) return status;
  }
  return 0;
}
