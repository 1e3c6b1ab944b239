#include "sheetlib/memory/failing_allocator.h"

#include <dlfcn.h>
#include <zip.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define COLSPLIT_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define COLSPLIT_ASAN 1
#endif

#ifdef COLSPLIT_ASAN
extern "C" void* __interceptor_malloc(std::size_t size);
extern "C" void* __interceptor_calloc(std::size_t count, std::size_t size);
extern "C" void* __interceptor_realloc(void* block, std::size_t size);
#define REAL_MALLOC __interceptor_malloc
#define REAL_CALLOC __interceptor_calloc
#define REAL_REALLOC __interceptor_realloc
#else
extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* __libc_calloc(std::size_t count, std::size_t size);
extern "C" void* __libc_realloc(void* block, std::size_t size);
#define REAL_MALLOC __libc_malloc
#define REAL_CALLOC __libc_calloc
#define REAL_REALLOC __libc_realloc
#endif

namespace {

// Allocations left until the refused one; 0 while disarmed. The library
// may allocate on a second thread (it inflates large parts ahead).
std::atomic<long> g_countdown{0};
std::atomic<bool> g_refused{false};
// Set while a libzip call runs that stands in for its own failure (below).
thread_local bool t_paused = false;

// Called at the refused allocation: a place for a debugger's breakpoint.
[[gnu::noinline]] void allocation_refused() { asm volatile(""); }

bool refuse() {
  if (t_paused) return false;
  long left = g_countdown.load();
  while (left > 0 && !g_countdown.compare_exchange_weak(left, left - 1)) {
  }
  if (left != 1) return false;
  g_refused.store(true);
  allocation_refused();
  errno = ENOMEM;
  return true;
}

// True when the next allocation is the refused one: the call that would make
// it fails as a whole instead (and takes the refusal).
bool next_allocation_refused() {
  if (g_countdown.load() != 1) return false;
  return refuse();
}

template <typename Function>
Function real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

namespace colsplit::testing {

void fail_allocation(long n) {
  g_refused.store(false);
  g_countdown.store(n);
}

bool disarm_allocations() {
  g_countdown.store(0);
  return g_refused.exchange(false);
}

}  // namespace colsplit::testing

extern "C" {

// libzip 1.7.3 leaks on two of its own out-of-memory paths: the context of
// a window source when the layered source over it cannot be made (inside
// zip_fopen_index), and a compression context inside zip_close. Those two
// calls therefore fail as a whole, as libzip reports a failed allocation
// (null or -1, ZIP_ER_MEMORY), when the refused allocation would fall into
// them, and run without refusals otherwise; every other call of libzip
// meets the refusal where it comes.
zip_file_t* zip_fopen_index(zip_t* archive, zip_uint64_t index, zip_flags_t flags) {
  if (next_allocation_refused()) {
    zip_error_set(zip_get_error(archive), ZIP_ER_MEMORY, 0);
    return nullptr;
  }
  t_paused = true;
  zip_file_t* file = real<zip_file_t* (*)(zip_t*, zip_uint64_t, zip_flags_t)>("zip_fopen_index")(archive, index, flags);
  t_paused = false;
  return file;
}

int zip_close(zip_t* archive) {
  if (next_allocation_refused()) {
    zip_error_set(zip_get_error(archive), ZIP_ER_MEMORY, 0);
    return -1;
  }
  t_paused = true;
  const int result = real<int (*)(zip_t*)>("zip_close")(archive);
  t_paused = false;
  return result;
}

void* malloc(std::size_t size) { return refuse() ? nullptr : REAL_MALLOC(size); }
void* calloc(std::size_t count, std::size_t size) { return refuse() ? nullptr : REAL_CALLOC(count, size); }
void* realloc(void* block, std::size_t size) { return refuse() ? nullptr : REAL_REALLOC(block, size); }

}  // extern "C"

// operator new through malloc, so that it is counted too; delete through
// free, the same allocator.
void* operator new(std::size_t size) {
  if (void* block = malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return malloc(size ? size : 1); }
void operator delete(void* block) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
void operator delete(void* block, std::size_t) noexcept { free(block); }
void operator delete[](void* block, std::size_t) noexcept { free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { free(block); }
