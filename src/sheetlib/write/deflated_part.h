// A part made and deflated on a thread of its own while libzip deflates the
// others, and handed to libzip already deflated (libzip copies data whose
// source says it is deflated as it is). On a machine with two cores the
// shared strings of a workbook then cost next to nothing beside its sheet.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include <zip.h>

namespace sheetlib {

class DeflatedPart {
 public:
  // Starts making the part's XML with `make` and deflating it at `level`.
  // When no thread can be had, both happen here and now instead.
  DeflatedPart(std::function<std::string()> make, int level);
  // Waits for the thread, if it still runs.
  ~DeflatedPart();
  DeflatedPart(const DeflatedPart&) = delete;
  DeflatedPart& operator=(const DeflatedPart&) = delete;

  // A libzip source of the deflated data; it waits for the thread when
  // libzip first asks for it. The part must outlive the archive's close.
  zip_source_t* source(zip_t* archive);

 private:
  struct Result {
    std::string deflated;
    std::uint64_t size = 0;  // of the XML
    std::uint32_t crc = 0;
    bool made = false;  // false: the part could not be made (no memory)
  };
  void make_and_deflate();
  static zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command);
  void wait();

  std::function<std::string()> make_;
  int level_;
  Result result_;
  std::thread thread_;
  std::size_t taken_ = 0;
  zip_error_t error_;
};

}  // namespace sheetlib
