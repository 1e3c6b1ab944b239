// What the saver takes: one output of an export, filled on the handler's
// thread and then saved to its path (a workbook, or a CSV file).
#pragma once

#include "text/text.h"

namespace colsplit {

class FilledFile {
 public:
  virtual ~FilledFile() = default;
  // False when something could not go in: such a file is never saved.
  virtual bool complete() const = 0;
  // Its cells, the heading and title rows included: what saving it costs.
  virtual long long cell_count() const = 0;
  // Saves to `path` on the calling thread; true when it succeeded.
  virtual bool save(const Text& path) = 0;
};

}  // namespace colsplit
