// Linked into a test program, it ends as the programs do: a library function
// that cannot be bound or leaves the stack unbalanced, and a failed memory
// request, end in the runtime error report.
#include "main/fatal_errors.h"

namespace {
const bool g_wired = (colsplit::wire_fatal_errors(), true);
}  // namespace
