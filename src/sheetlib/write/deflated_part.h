// A part made and deflated on a thread of its own while the worksheets are
// deflated, and handed to libzip already deflated. On a machine with two
// cores the shared strings of a workbook then cost next to nothing beside
// its sheet.
#pragma once

#include <functional>
#include <string>
#include <thread>

#include <zip.h>

#include "sheetlib/write/parallel_deflate.h"

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

  // A libzip source of the deflated data, once the thread has ended. The
  // part must outlive the archive's close.
  zip_source_t* source(zip_t* archive);

 private:
  void make_and_deflate() noexcept;

  std::function<std::string()> make_;
  int level_;
  DeflatedBytes result_;
  std::thread thread_;
};

}  // namespace sheetlib
