// An empty folder of its own for one test, removed with everything in it at
// the end. Paths are handed out as the library takes them: GBK bytes.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

#include "text/encoding.h"

namespace colsplit::testing {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("sheetlib-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // The GBK path of `name` (GBK bytes) inside the folder.
  std::string gbk_path(const std::string& gbk_name = {}) const {
    const std::u8string folder_utf8 = path_.u8string();
    std::string folder = utf8_to_gbk(std::string(reinterpret_cast<const char*>(folder_utf8.data()), folder_utf8.size()));
    return gbk_name.empty() ? folder : folder + separator() + gbk_name;
  }

  // The names (UTF-8) of what the folder holds.
  std::set<std::string> entries() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      const std::u8string name = entry.path().filename().u8string();
      names.emplace(reinterpret_cast<const char*>(name.data()), name.size());
    }
    return names;
  }

  // False when the folder cannot take a file with a Chinese name: Wine keeps
  // Windows names as names of the host, and a host running in the C locale
  // has no encoding for them. Tests of such names skip there.
  bool holds_chinese_names() const {
    const std::filesystem::path probe = path_ / std::filesystem::path(u8"北京.probe");
    std::error_code error;
    { std::ofstream file(probe); if (!file) return false; }
    std::filesystem::remove(probe, error);
    return true;
  }

  static char separator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
  }

 private:
  std::filesystem::path path_;
};

}  // namespace colsplit::testing
