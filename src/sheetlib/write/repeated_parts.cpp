#include "sheetlib/write/repeated_parts.h"

#include <mutex>
#include <unordered_map>

namespace sheetlib {

namespace {

// Only small parts are kept: a large one is rarely repeated and would hold
// its bytes for the rest of the process.
constexpr std::size_t kLargestKept = 64 * 1024;
constexpr std::size_t kPartsKept = 32;

class RepeatedParts {
 public:
  std::shared_ptr<const DeflatedBytes> find(const std::string& key) {
    const std::lock_guard lock(lock_);
    const auto found = parts_.find(key);
    return found == parts_.end() ? nullptr : found->second;
  }

  void keep(std::string key, std::shared_ptr<const DeflatedBytes> bytes) {
    const std::lock_guard lock(lock_);
    // Exports repeat the same handful of parts: when that many are kept,
    // something else is going on and they all go.
    if (parts_.size() >= kPartsKept) parts_.clear();
    parts_.emplace(std::move(key), std::move(bytes));
  }

 private:
  std::mutex lock_;
  std::unordered_map<std::string, std::shared_ptr<const DeflatedBytes>> parts_;
};

RepeatedParts& repeated_parts() {
  static RepeatedParts parts;
  return parts;
}

}  // namespace

DeflatedBytes deflate_part(std::string_view xml, int level, bool last) {
  ParallelDeflater deflater(level, false);
  deflater.add(xml);
  return deflater.finish(last);
}

std::shared_ptr<const DeflatedBytes> deflate_repeated_part(const std::string& xml, int level) {
  if (xml.size() > kLargestKept) return std::make_shared<const DeflatedBytes>(deflate_part(xml, level));
  std::string key = std::to_string(level);
  key += ':';
  key += xml;
  if (auto kept = repeated_parts().find(key)) return kept;
  auto bytes = std::make_shared<const DeflatedBytes>(deflate_part(xml, level));
  if (bytes->made) repeated_parts().keep(std::move(key), bytes);
  return bytes;
}

}  // namespace sheetlib
