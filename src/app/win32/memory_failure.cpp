// Every form of the global operator new, replaced: a request the system
// cannot meet ends the program through the runtime error report with
// "分配 N 字节内存失败!", the nothrow forms included (nothing in the program
// could go on without the memory).
#include <malloc.h>

#include <cstddef>
#include <cstdlib>
#include <new>

#include "app/runtime_error/runtime_error_report.h"

namespace {

[[noreturn]] void report_failed_request(std::size_t bytes) {
  // Building the report needs a little memory too; when even that fails,
  // the program ends without it instead of recursing.
  static bool reporting = false;
  if (reporting) std::_Exit(-1);
  reporting = true;
  colsplit::raise_runtime_error(colsplit::kErrorNone, colsplit::out_of_memory_message(bytes), 0, 0);
}

void* allocate(std::size_t bytes) {
  if (void* memory = std::malloc(bytes ? bytes : 1)) return memory;
  report_failed_request(bytes);
}

void* allocate_aligned(std::size_t bytes, std::align_val_t alignment) {
  if (void* memory = _aligned_malloc(bytes ? bytes : 1, static_cast<std::size_t>(alignment))) return memory;
  report_failed_request(bytes);
}

}  // namespace

void* operator new(std::size_t bytes) { return allocate(bytes); }
void* operator new[](std::size_t bytes) { return allocate(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept { return allocate(bytes); }
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept { return allocate(bytes); }
void* operator new(std::size_t bytes, std::align_val_t alignment) { return allocate_aligned(bytes, alignment); }
void* operator new[](std::size_t bytes, std::align_val_t alignment) { return allocate_aligned(bytes, alignment); }
void* operator new(std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocate_aligned(bytes, alignment);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocate_aligned(bytes, alignment);
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept { _aligned_free(memory); }
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept { _aligned_free(memory); }
