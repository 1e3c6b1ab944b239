// Every form of the global operator new, replaced: a request the system
// cannot meet goes to memory_request_failed with the bytes asked for, which
// in the programs ends in the report ("分配 N 字节内存失败!"), never in an
// exception unwinding through a window procedure or the drop target. The
// nothrow forms end the same way once a program has installed its handler:
// nothing in it could go on without the memory.
#include <cstddef>
#include <cstdlib>
#include <new>

#include "memory/memory_request.h"

#ifdef _WIN32
#include <malloc.h>
#endif

namespace {

void* allocate(std::size_t bytes) {
  if (void* memory = std::malloc(bytes ? bytes : 1)) return memory;
  colsplit::memory_request_failed(bytes);
}

void* allocate_aligned(std::size_t bytes, std::align_val_t alignment) {
  const auto align = static_cast<std::size_t>(alignment);
#ifdef _WIN32
  if (void* memory = _aligned_malloc(bytes ? bytes : 1, align)) return memory;
#else
  void* memory = nullptr;
  if (posix_memalign(&memory, align < sizeof(void*) ? sizeof(void*) : align, bytes ? bytes : 1) == 0) return memory;
#endif
  colsplit::memory_request_failed(bytes);
}

void free_aligned(void* memory) {
#ifdef _WIN32
  _aligned_free(memory);
#else
  std::free(memory);
#endif
}

// Without a handler installed the failure is an exception, which a nothrow
// form turns into its null result.
template <typename Allocate>
void* allocate_or_null(Allocate&& allocate_memory) noexcept {
  try {
    return allocate_memory();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

void* operator new(std::size_t bytes) { return allocate(bytes); }
void* operator new[](std::size_t bytes) { return allocate(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return allocate_or_null([&] { return allocate(bytes); });
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return allocate_or_null([&] { return allocate(bytes); });
}
void* operator new(std::size_t bytes, std::align_val_t alignment) { return allocate_aligned(bytes, alignment); }
void* operator new[](std::size_t bytes, std::align_val_t alignment) { return allocate_aligned(bytes, alignment); }
void* operator new(std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocate_or_null([&] { return allocate_aligned(bytes, alignment); });
}
void* operator new[](std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocate_or_null([&] { return allocate_aligned(bytes, alignment); });
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { free_aligned(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { free_aligned(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { free_aligned(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { free_aligned(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept { free_aligned(memory); }
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept { free_aligned(memory); }
