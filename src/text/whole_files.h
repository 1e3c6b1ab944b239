// Whole-file reading and atomic writing by GBK path (the wide API on Windows,
// UTF-8 names elsewhere).
#pragma once

#include <string>
#include <cstdint>
#include <string_view>

namespace colsplit {

enum class FileStatus { ok, not_found, unreadable, too_large };

// Reads the whole file into `bytes`.
FileStatus read_whole_file(const std::string& gbk_path, std::string& bytes, std::uint64_t max_bytes);

// Writes `bytes` to a temporary file in the target's folder and renames it
// into place once it is whole, so that a save cut short (the process ended,
// the disk full) never leaves a partial file under the target's name; on
// failure the target is left as it was and nothing remains. The file is not
// flushed to the disk: a caller that writes many files flushes them together
// (the export does so at its end), which costs one flush instead of one per
// file.
bool write_file_atomically(const std::string& gbk_path, std::string_view bytes);

}  // namespace colsplit
