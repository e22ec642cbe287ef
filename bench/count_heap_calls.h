#pragma once
// Counts every heap call of the program, C++ and C alike (the 3D library's
// blocks and the decoders' buffers come from malloc): include it in exactly
// one source file of a program instead of count_allocations.h. It replaces
// the C allocation functions by counting ones that call the C library's own,
// and the global operator new by one on top of them (counted once). Under
// AddressSanitizer, whose allocator must see every block, it counts nothing.

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace bench {
inline std::atomic<std::size_t> g_heapCalls{0};
// Whether the counting functions are in place (not under AddressSanitizer).
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kCountsHeapCalls = false;
#else
inline constexpr bool kCountsHeapCalls = true;
#endif
}  // namespace bench

#if !defined(__SANITIZE_ADDRESS__)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);

void* malloc(std::size_t size) {
  bench::g_heapCalls.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
  bench::g_heapCalls.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) {
  bench::g_heapCalls.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(p, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
  bench::g_heapCalls.fetch_add(1, std::memory_order_relaxed);
  void* p = __libc_memalign(alignment, size);
  if (p == nullptr) return 12;  // ENOMEM
  *out = p;
  return 0;
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
  bench::g_heapCalls.fetch_add(1, std::memory_order_relaxed);
  return __libc_memalign(alignment, size);
}
}

// GCC cannot see that these pair malloc with free and warns about each delete.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif
