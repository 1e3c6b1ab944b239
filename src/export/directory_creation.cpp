#include "export/directory_creation.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <cerrno>
#endif

#include "app/text/encoding.h"

namespace colsplit {

#ifdef _WIN32

namespace {

// CreateDirectoryW refuses paths of MAX_PATH - 12 characters and more unless
// they carry the "\\?\" prefix, which in turn wants an absolute path with
// backslashes only. Relative paths stay as they are.
std::wstring long_path_form(std::wstring path) {
  constexpr std::size_t kLongestPlainPath = MAX_PATH - 12;
  if (path.size() < kLongestPlainPath) return path;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  if (path.size() > 2 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  if (path.rfind(L"\\\\", 0) == 0 && path.rfind(L"\\\\?\\", 0) != 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return path;
}

}  // namespace

bool create_directory_level(const Text& path) {
  const std::wstring wide = long_path_form(gbk_to_wide(path));
  if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

#else

bool create_directory_level(const Text& path) {
  const std::string name = gbk_to_utf8(path);
  if (mkdir(name.c_str(), 0777) == 0) return true;
  if (errno != EEXIST) return false;
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

#endif

}  // namespace colsplit
