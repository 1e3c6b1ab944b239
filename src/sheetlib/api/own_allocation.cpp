// The library's own operator new, in libxl.so only. Without it the library's
// allocations would go to the program's operator new (the dynamic linker
// binds them to the one the program exports), which ends the process from
// whichever thread asks, a helper thread of the library among them, while
// other threads still run inside the library. With its own, a request the
// system cannot meet is std::bad_alloc, as in libxl.dll (which carries the
// runtime's own): a helper thread hands it to its owner as a status, and the
// call fails at the C boundary with the reason "out of memory". The version
// script (exports.map) keeps these symbols local, which binds the library's
// calls to them.
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

void* allocate(std::size_t bytes) {
  if (void* memory = std::malloc(bytes ? bytes : 1)) return memory;
  throw std::bad_alloc();
}

void* allocate_aligned(std::size_t bytes, std::align_val_t alignment) {
  const auto align = static_cast<std::size_t>(alignment);
  void* memory = nullptr;
  if (posix_memalign(&memory, align < sizeof(void*) ? sizeof(void*) : align, bytes ? bytes : 1) == 0) return memory;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t bytes) { return allocate(bytes); }
void* operator new[](std::size_t bytes) { return allocate(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept { return std::malloc(bytes ? bytes : 1); }
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return std::malloc(bytes ? bytes : 1);
}
void* operator new(std::size_t bytes, std::align_val_t alignment) {
  return allocate_aligned(bytes, alignment);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment) {
  return allocate_aligned(bytes, alignment);
}
void* operator new(std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  try {
    return allocate_aligned(bytes, alignment);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  try {
    return allocate_aligned(bytes, alignment);
  } catch (...) {
    return nullptr;
  }
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(memory);
}
