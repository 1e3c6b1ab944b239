// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <random>
#include <string>

#include "text/encoding.h"

namespace colsplit::testing {

class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("colsplit-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as the program's GBK text.
  std::string text() const {
#ifdef _WIN32
    return wide_to_gbk(path_.wstring());
#else
    return utf8_to_gbk(path_.string());
#endif
  }

 private:
  std::filesystem::path path_;
};

// A GBK path as a file-system path.
inline std::filesystem::path fs_path(const std::string& gbk) {
#ifdef _WIN32
  return std::filesystem::path(gbk_to_wide(gbk));
#else
  return std::filesystem::path(gbk_to_utf8(gbk));
#endif
}

}  // namespace colsplit::testing
