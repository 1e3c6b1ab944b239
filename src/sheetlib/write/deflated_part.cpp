#include "sheetlib/write/deflated_part.h"

#include <system_error>

namespace sheetlib {

DeflatedPart::DeflatedPart(std::function<std::string()> make, int level) : make_(std::move(make)), level_(level) {
  try {
    thread_ = std::thread([this] { make_and_deflate(); });
  } catch (const std::system_error&) {
    make_and_deflate();
  }
}

DeflatedPart::~DeflatedPart() {
  if (thread_.joinable()) thread_.join();
}

void DeflatedPart::make_and_deflate() noexcept {
  // Nothing may escape a thread: running out of memory is the save's
  // failure (made stays false).
  try {
    ParallelDeflater deflater(level_, false);
    deflater.add(make_());
    result_ = deflater.finish();
  } catch (...) {
    result_.made = false;
  }
}

zip_source_t* DeflatedPart::source(zip_t* archive) {
  if (thread_.joinable()) thread_.join();
  return deflated_source(archive, result_);
}

}  // namespace sheetlib
