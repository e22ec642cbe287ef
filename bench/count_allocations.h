#pragma once
// Counts the program's heap allocations, for benchmarks that report them.
// Include it in exactly one source file of a program: it replaces the global
// allocation functions.

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace bench {
inline std::atomic<std::size_t> g_allocations{0};
}  // namespace bench

// GCC cannot see that these pair malloc with free and warns about each delete.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  ++bench::g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
