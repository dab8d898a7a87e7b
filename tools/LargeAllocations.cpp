// SPDX-License-Identifier: GPL-3.0-or-later
// The map tool's large buffers (a whole 30 MB map file, its vertex and line arrays) on
// transparent huge pages. A tool process reads such a file once into fresh memory, and on 4 KB
// pages faulting them in costs about as much as reading the file; on 2 MB pages it is gone.
// Sanitizer builds keep their own allocator.
#include <sys/mman.h>

#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define ORVANE_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVANE_SANITIZED 1
#endif
#endif

#ifndef ORVANE_SANITIZED
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

void* Allocate(std::size_t size) {
  if (size >= kHugePage) {
    const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    if (void* p = std::aligned_alloc(kHugePage, rounded)) {
      ::madvise(p, rounded, MADV_HUGEPAGE);  // a hint; without it the pages are small
      return p;
    }
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

// Both kinds of block go back through free(), so any delete takes any of them.
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif
