// The binding's operating-system side on Windows. Every path crosses as
// UTF-16 converted from GBK, so that the program works whatever the system
// code page is.
#include <windows.h>

#include <string>

#include "text/encoding.h"
#include "xl/platform.h"

namespace colsplit::xl {

namespace platform {

Text library_file_name(const Text& table_name) { return table_name; }

Module load_library(const Text& name) { return LoadLibraryW(gbk_to_wide(name).c_str()); }

void* find_function(Module module, const char* function_name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), function_name));
}

void free_library(Module module) { FreeLibrary(static_cast<HMODULE>(module)); }

bool path_exists(const Text& path) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(gbk_to_wide(path).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

void write_whole_file(const Text& path, const unsigned char* bytes, std::size_t size) {
  const std::wstring wide_path = gbk_to_wide(path);
  const HANDLE file =
      CreateFileW(wide_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  if (!wrote || written != size) DeleteFileW(wide_path.c_str());
}

}  // namespace platform
}  // namespace colsplit::xl
