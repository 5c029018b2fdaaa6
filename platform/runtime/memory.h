#pragma once
// Memory for the large arrays of a load (a sheet's columns, the data tables): blocks of a few MB
// come straight from the system, with huge pages asked for, so that a few hundred MB are mapped
// in a few hundred page faults instead of a hundred thousand; and what a long step freed is
// given back before the next one.

#include <cstddef>
#include <cstdlib>
#include <new>
#include <type_traits>
#include <utility>

namespace vantrel::rt {

// Blocks of at least this many bytes are mapped by MapLarge.
inline constexpr size_t kLargeBlockBytes = size_t{4} << 20;

// A zeroed block of `bytes` (at least kLargeBlockBytes) from the system, its whole 2 MB pages
// backed by huge pages where the kernel allows it; nullptr when there is no memory.
void* MapLarge(size_t bytes);
void UnmapLarge(void* p, size_t bytes);

// Gives back to the system the free memory that the allocator keeps after a long step: the
// threads of a step allocate from arenas of their own, which keep their freed pages, so the
// next step would otherwise come on top of them.
void ReturnFreeMemory();

// An allocator for arrays that may grow to many MB: large blocks from MapLarge, small ones from
// the heap. With kZeroed, the blocks are zeroed and a new element made without a value is left
// as it is (zero), so that growing an array of numbers writes none of the new memory: each page
// is filled when first written.
template <class T, bool kZeroed = false>
struct LargeAllocator {
  using value_type = T;
  template <class U>
  struct rebind {
    using other = LargeAllocator<U, kZeroed>;
  };
  LargeAllocator() = default;
  template <class U>
  LargeAllocator(const LargeAllocator<U, kZeroed>&) noexcept {}

  T* allocate(size_t n) {
    if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    const size_t bytes = n * sizeof(T);
    void* p = bytes >= kLargeBlockBytes ? MapLarge(bytes) : kZeroed ? std::calloc(n, sizeof(T)) : std::malloc(bytes);
    if (!p) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t n) noexcept {
    if (n * sizeof(T) >= kLargeBlockBytes) UnmapLarge(p, n * sizeof(T));
    else std::free(p);
  }
  template <class U, class... A>
  void construct(U* p, A&&... a) {
    if constexpr (kZeroed && sizeof...(A) == 0) {
      static_assert(std::is_trivially_default_constructible_v<U>);  // the zero bytes are the value
    } else {
      ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
    }
  }
  static_assert(alignof(T) <= alignof(std::max_align_t));
  friend bool operator==(const LargeAllocator&, const LargeAllocator&) { return true; }
};

}  // namespace vantrel::rt
