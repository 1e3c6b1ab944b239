#include "export/whole_file.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "text/file_paths.h"

#ifdef _WIN32
#include <windows.h>

#include "text/windows_path.h"
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "text/encoding.h"
#endif

namespace colsplit {

namespace {

// A short name in the target's folder that no other write of this process
// or another picks at the same time.
Text temporary_path(const Text& path) {
  static std::atomic<unsigned> counter{0};
#ifdef _WIN32
  const unsigned long process = GetCurrentProcessId();
#else
  const unsigned long process = static_cast<unsigned long>(getpid());
#endif
  char name[48];
  std::snprintf(name, sizeof name, "~cs%lx-%x.tmp", process, counter.fetch_add(1));
  const std::size_t last = last_path_separator(path);
  return (last == std::string_view::npos ? Text() : path.substr(0, last + 1)) + name;
}

}  // namespace

#ifdef _WIN32

bool write_whole_file(const Text& path, std::string_view bytes) {
  if (path.empty()) return false;
  const std::wstring target = wide_file_path(path);
  const std::wstring temporary = wide_file_path(temporary_path(path));
  const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = true;
  while (written && !bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 24));
    DWORD done = 0;
    written = WriteFile(file, bytes.data(), chunk, &done, nullptr) && done > 0;
    bytes.remove_prefix(done);
  }
  const bool closed = CloseHandle(file) != 0;
  if (!closed || !written || !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

#else

bool write_whole_file(const Text& path, std::string_view bytes) {
  if (path.empty()) return false;
  const std::string target = gbk_to_utf8(path);
  const std::string temporary = gbk_to_utf8(temporary_path(path));
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool written = true;
  while (written && !bytes.empty()) {
    const ssize_t done = ::write(fd, bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    written = done > 0;
    if (written) bytes.remove_prefix(static_cast<std::size_t>(done));
  }
  const bool closed = ::close(fd) == 0;
  if (!closed || !written || ::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

#endif

}  // namespace colsplit
