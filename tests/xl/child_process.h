// Starting a program of the build as a child process and collecting what it
// wrote and how it ended.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "text/encoding.h"
#include "text/text.h"

namespace colsplit::testing {

struct ChildResult {
  int exit_code = 0;  // -1 for a process ended by the runtime error report on Windows, 255 on Linux;
                      // -1000 when it could not be started, `err` then says why
  bool timed_out = false;  // ended by the time limit
  std::string out;
  std::string err;
};

// Bounds for a child that is fed hostile input: so that an unbounded
// allocation or a hang fails a test instead of taking the machine.
struct ChildLimits {
  // Address space (Linux: RLIMIT_AS) or committed memory (Windows: a job's
  // process memory limit; Wine does not enforce it, where the 2 GiB of a
  // 32-bit process bound the child instead). 0: no limit.
  std::uint64_t memory_bytes = 0;
  // Wall-clock seconds before the child is ended. 0: no limit.
  unsigned seconds = 0;
};

// Runs `program` with `arguments` in `directory` (also its current
// directory), with standard output and standard error sent to files there.
ChildResult run_child(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      const std::filesystem::path& directory, const ChildLimits& limits = {});

// The file system's path for a program text (GBK).
inline std::filesystem::path native_path(const Text& text) {
#ifdef _WIN32
  return std::filesystem::path(gbk_to_wide(text));
#else
  return std::filesystem::path(gbk_to_utf8(text));
#endif
}

// The exit code of a process ended by the runtime error report.
#ifdef _WIN32
inline constexpr int kReportExitCode = -1;
#else
inline constexpr int kReportExitCode = 255;
#endif

}  // namespace colsplit::testing
