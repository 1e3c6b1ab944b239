// What happens when memory cannot be had. The library turns it into a
// failed call at its C boundary (std::bad_alloc, caught there); the programs
// install a handler that ends the process with the runtime error report
// ("分配 N 字节内存失败!"). Code that asks for memory where the allocator does
// not see the whole request (an arena that would pass 4 GiB, more rows than
// an index holds) calls memory_request_failed with the bytes it wanted, so
// that it ends the same way.
#pragma once

#include <cstddef>

namespace colsplit {

// Must not return: it ends the process (or the thread, see the runtime error
// report) or throws.
using MemoryFailureHandler = void (*)(std::size_t bytes);

// Null restores the default, which throws std::bad_alloc.
void set_memory_failure_handler(MemoryFailureHandler handler);

[[noreturn]] void memory_request_failed(std::size_t bytes);

}  // namespace colsplit
