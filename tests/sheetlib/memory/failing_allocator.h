// An allocator that refuses one request on demand: the n-th allocation from
// the moment it is armed fails, whether it comes through malloc, calloc or
// realloc (libzip, expat, zlib, the C library) or through operator new (the
// library's own code). It forwards everything else to the real allocator
// (AddressSanitizer's under the sanitize preset, so that its leak check sees
// every block). It replaces the C library's functions by name: glibc only.
// Two calls of libzip that leak on their own out-of-memory paths fail as a
// whole instead (see failing_allocator.cpp).
#pragma once

namespace colsplit::testing {

// Arms the allocator: the n-th allocation from now fails (n >= 1), every
// other one is served.
void fail_allocation(long n);

// Disarms it; true when the armed allocation came and was refused.
bool disarm_allocations();

}  // namespace colsplit::testing
