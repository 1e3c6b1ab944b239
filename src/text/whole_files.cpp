#include "text/whole_files.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>

#include "text/encoding.h"
#include "text/file_paths.h"

#ifdef _WIN32
#include <windows.h>

#include "text/windows_path.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace colsplit {

namespace {

// Length of the folder part of a path, up to and including its last
// separator; 0 for a bare file name. A drive-relative "C:name" keeps its
// drive, so that the temporary file lands on the target's drive.
std::size_t folder_length(const std::string& gbk_path) {
  const std::size_t last = colsplit::last_path_separator(gbk_path);
  if (last != std::string::npos) return last + 1;
#ifdef _WIN32
  if (gbk_path.size() >= 2 && gbk_path[1] == ':') return 2;
#endif
  return 0;
}

// A name for the temporary file that no other save picks at the same time:
// the process, a counter and the clock. It is short, so that it fits the
// folder even when the target's own name is as long as names may be.
std::string temporary_name(const std::string& gbk_path) {
  static std::atomic<unsigned> counter{0};
#ifdef _WIN32
  const unsigned long process = GetCurrentProcessId();
#else
  const unsigned long process = static_cast<unsigned long>(getpid());
#endif
  const auto ticks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  char name[64];
  std::snprintf(name, sizeof name, "~sl%lx-%x-%llx.tmp", process, counter.fetch_add(1), ticks & 0xFFFFFFFFull);
  return gbk_path.substr(0, folder_length(gbk_path)) + name;
}

}  // namespace

#ifdef _WIN32

namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool close() {
    if (!valid()) return true;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

bool write_all(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 24));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

FileStatus read_whole_file(const std::string& gbk_path, std::string& bytes, std::uint64_t max_bytes) {
  if (gbk_path.empty()) return FileStatus::not_found;
  // Shared every way, so that a workbook another program has open still reads.
  Handle file(CreateFileW(colsplit::wide_file_path(gbk_path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME
               ? FileStatus::not_found
               : FileStatus::unreadable;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return FileStatus::unreadable;
  if (static_cast<std::uint64_t>(size.QuadPart) > max_bytes) return FileStatus::too_large;
  std::string content(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t filled = 0;
  while (filled < content.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - filled, 1u << 24));
    DWORD read = 0;
    if (!ReadFile(file.get(), content.data() + filled, chunk, &read, nullptr)) return FileStatus::unreadable;
    if (read == 0) break;  // the file shrank while we read it
    filled += read;
  }
  content.resize(filled);
  bytes = std::move(content);
  return FileStatus::ok;
}

bool write_file_atomically(const std::string& gbk_path, std::string_view bytes) {
  if (gbk_path.empty()) return false;
  const std::wstring target = colsplit::wide_file_path(gbk_path);
  const std::wstring temporary = colsplit::wide_file_path(temporary_name(gbk_path));
  Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  const bool written = write_all(file.get(), bytes);
  if (!file.close() || !written || !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

#else

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }
  bool close() {
    if (fd_ < 0) return true;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
  }

 private:
  int fd_;
};

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

FileStatus read_whole_file(const std::string& gbk_path, std::string& bytes, std::uint64_t max_bytes) {
  if (gbk_path.empty()) return FileStatus::not_found;
  const std::string path = colsplit::gbk_to_utf8(gbk_path);
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) return errno == ENOENT || errno == ENOTDIR ? FileStatus::not_found : FileStatus::unreadable;
  struct stat info;
  if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return FileStatus::unreadable;
  if (static_cast<std::uint64_t>(info.st_size) > max_bytes) return FileStatus::too_large;
  std::string content(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t filled = 0;
  while (filled < content.size()) {
    const ssize_t read = ::read(file.get(), content.data() + filled, content.size() - filled);
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) return FileStatus::unreadable;
    if (read == 0) break;  // the file shrank while we read it
    filled += static_cast<std::size_t>(read);
  }
  content.resize(filled);
  bytes = std::move(content);
  return FileStatus::ok;
}

bool write_file_atomically(const std::string& gbk_path, std::string_view bytes) {
  if (gbk_path.empty()) return false;
  const std::string target = colsplit::gbk_to_utf8(gbk_path);
  const std::string temporary = colsplit::gbk_to_utf8(temporary_name(gbk_path));
  Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!file.valid()) return false;
  const bool written = write_all(file.get(), bytes);
  if (!file.close() || !written || ::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

#endif

}  // namespace colsplit
