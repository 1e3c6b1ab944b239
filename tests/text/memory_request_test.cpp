#include "text/memory_request.h"

#include <gtest/gtest.h>

#include <new>

namespace colsplit {
namespace {

// A failed request without a handler is an exception (the library turns it
// into a failed call); with one, the handler is called with the bytes.
std::size_t g_bytes_seen = 0;
struct Handled {
  std::size_t bytes;
};

TEST(MemoryRequest, GoesToTheInstalledHandlerWithTheBytes) {
  EXPECT_THROW(memory_request_failed(12), std::bad_alloc);
  set_memory_failure_handler([](std::size_t bytes) {
    g_bytes_seen = bytes;
    throw Handled{bytes};
  });
  try {
    memory_request_failed(3'000'000'000u);
    ADD_FAILURE() << "returned";
  } catch (const Handled& handled) {
    EXPECT_EQ(handled.bytes, 3'000'000'000u);
  }
  EXPECT_EQ(g_bytes_seen, 3'000'000'000u);
  set_memory_failure_handler(nullptr);
  EXPECT_THROW(memory_request_failed(1), std::bad_alloc);
}

}  // namespace
}  // namespace colsplit
