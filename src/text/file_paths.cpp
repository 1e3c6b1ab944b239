#include "text/file_paths.h"

#include "text/encoding.h"
#include "text/gbk_chars.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace colsplit {

std::size_t last_path_separator(std::string_view path) {
  std::size_t found = std::string_view::npos;
  for (std::size_t pos = 0; pos < path.size(); pos += gbk_char_length(path, pos)) {
    if (is_path_separator(path[pos])) found = pos;
  }
  return found;
}

Text folder_of(std::string_view path) {
  const std::size_t last = last_path_separator(path);
  return last == std::string_view::npos ? Text() : Text(path.substr(0, last));
}

#ifdef _WIN32

Text executable_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return Text();
    // A full buffer means the path was cut: ask again with more room.
    if (length < path.size()) {
      path.resize(length);
      return wide_to_gbk(path);
    }
    path.resize(path.size() * 2);
  }
}

#else

Text executable_path() {
  std::string path(256, '\0');
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) return Text();
    if (static_cast<std::size_t>(length) < path.size()) {
      path.resize(static_cast<std::size_t>(length));
      return utf8_to_gbk(path);
    }
    path.resize(path.size() * 2);
  }
}

#endif

}  // namespace colsplit
