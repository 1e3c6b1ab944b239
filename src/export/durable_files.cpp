#include "export/durable_files.h"

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "text/windows_path.h"
#else
#include <fcntl.h>
#include <unistd.h>

#include "text/encoding.h"
#endif

namespace colsplit {

#ifdef _WIN32

namespace {

bool flush_file(const Text& path) {
  const HANDLE file = CreateFileW(wide_file_path(path).c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushFileBuffers(file) != 0;
  CloseHandle(file);
  return flushed;
}

}  // namespace

// Windows flushes a whole volume only for administrators, so each file is
// flushed; the flushes of many files overlap on a few threads, where the
// disk can take them together.
std::vector<Text> make_durable(const Text&, const std::vector<Text>& files) {
  std::vector<char> failed(files.size(), 0);
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < files.size(); i = next++) failed[i] = !flush_file(files[i]);
  };
  const std::size_t helpers = std::min<std::size_t>(3, files.size() / 8);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < helpers; ++i) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
  std::vector<Text> lost;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (failed[i]) lost.push_back(files[i]);
  }
  return lost;
}

#else

namespace {

bool sync_path(const Text& path, int flags) {
  const int fd = ::open(gbk_to_utf8(path).c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

}  // namespace

// One syncfs puts every file of the folder's file system on the disk, the
// renames included. Should it report an error, each file is synced on its
// own to find the ones that were lost.
std::vector<Text> make_durable(const Text& folder, const std::vector<Text>& files) {
  if (files.empty()) return {};
  const int fd = ::open(gbk_to_utf8(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    const bool synced = syncfs(fd) == 0;
    ::close(fd);
    if (synced) return {};
  }
  std::vector<Text> lost;
  for (const Text& file : files) {
    if (!sync_path(file, O_RDONLY)) lost.push_back(file);
  }
  if (lost.empty() && !sync_path(folder, O_RDONLY | O_DIRECTORY)) return files;
  return lost;
}

#endif

}  // namespace colsplit
