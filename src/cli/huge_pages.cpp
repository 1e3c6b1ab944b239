#include "cli/huge_pages.h"

// First: it tells whether the C library is glibc.
#include <cstdlib>

#if defined(__linux__) && defined(__GLIBC__)
#include <unistd.h>
#endif

namespace colsplit::cli {

#if defined(__linux__) && defined(__GLIBC__)

void restart_on_huge_pages(char** argv) {
  if (std::getenv("GLIBC_TUNABLES") != nullptr) return;
  if (setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 0) != 0) return;
  // The same program, arguments and environment (with the setting); the
  // process keeps its id, its open files and its limits.
  execv("/proc/self/exe", argv);
  // Only a failed restart gets here: the run goes on without the setting.
  unsetenv("GLIBC_TUNABLES");
}

#else

void restart_on_huge_pages(char**) {}

#endif

}  // namespace colsplit::cli
