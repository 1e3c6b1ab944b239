#include "export/directories.h"

#include "text/file_paths.h"

#ifdef _WIN32
#include <windows.h>

#include "text/windows_path.h"
#include "xl/library_calls.h"
#else
#include <sys/stat.h>
#include <cerrno>

#include "text/encoding.h"
#endif

namespace colsplit {

#ifdef _WIN32

bool is_directory(const Text& path) { return xl::PathIsDirectoryA(path) != 0; }

bool create_directory_level(const Text& path) {
  const std::wstring wide = wide_file_path(path);
  if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

#else

bool is_directory(const Text& path) {
  struct stat status {};
  return !path.empty() && stat(gbk_to_utf8(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool create_directory_level(const Text& path) {
  const std::string name = gbk_to_utf8(path);
  if (mkdir(name.c_str(), 0777) == 0) return true;
  if (errno != EEXIST) return false;
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

#endif

// Each level costs a separator, so the depth is bounded by the path's length.
// A drive ("X:") or the root has no folder above it to make.
bool create_directory_path(const Text& path) {
  if (path.empty() || is_directory(path)) return !path.empty();
  const Text parent = folder_of(path);
  if (!parent.empty() && parent.size() < path.size() && parent.back() != ':' && !is_directory(parent)) {
    if (!create_directory_path(parent)) return false;
  }
  return create_directory_level(path);
}

}  // namespace colsplit
