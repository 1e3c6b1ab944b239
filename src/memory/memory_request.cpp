#include "memory/memory_request.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace colsplit {

namespace {
std::atomic<MemoryFailureHandler> g_handler{nullptr};
}  // namespace

void set_memory_failure_handler(MemoryFailureHandler handler) { g_handler.store(handler); }

void memory_request_failed(std::size_t bytes) {
  if (const MemoryFailureHandler handler = g_handler.load()) {
    handler(bytes);
    std::abort();  // a handler that returns breaks its contract
  }
  throw std::bad_alloc();
}

}  // namespace colsplit
