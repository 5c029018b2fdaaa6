#include "platform/runtime/memory.h"

#include <sys/mman.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdint>

namespace vantrel::rt {

void* MapLarge(size_t bytes) {
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
#if defined(MADV_HUGEPAGE)
  // Only an advice: without transparent huge pages the block is mapped page by page.
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  const uintptr_t a = (reinterpret_cast<uintptr_t>(p) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t b = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(kHuge - 1);
  if (b > a) ::madvise(reinterpret_cast<void*>(a), b - a, MADV_HUGEPAGE);
#endif
  return p;
}

void UnmapLarge(void* p, size_t bytes) {
  if (p) ::munmap(p, bytes);
}

void ReturnFreeMemory() {
#if defined(__GLIBC__)
  ::malloc_trim(0);
#endif
}

}  // namespace vantrel::rt
