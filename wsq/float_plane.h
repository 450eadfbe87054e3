#pragma once
// A plane of floats whose samples are not set when it is made: the codec
// writes every sample of its planes itself (on the threads that use them),
// so clearing them first would only cost a pass over memory.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

// Blocks of this size or more start on a huge-page boundary and are marked
// for huge pages where the system offers them: a plane is then faulted in
// one 2 MiB page at a time instead of 512 small ones.
inline constexpr std::size_t kHugePage = std::size_t{2} << 20;
inline constexpr std::size_t kHugeBlock = 4 * kHugePage;

template <class T>
struct UnsetAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UnsetAllocator<U>;
  };

  UnsetAllocator() = default;
  template <class U>
  UnsetAllocator(const UnsetAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    const std::size_t bytes = n * sizeof(T);
    if (n > SIZE_MAX / sizeof(T) || bytes < kHugeBlock) return std::allocator<T>::allocate(n);
    void* block = ::operator new (bytes, std::align_val_t{kHugePage});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(block, bytes / kHugePage * kHugePage, MADV_HUGEPAGE);  // only a hint
#endif
    return static_cast<T*>(block);
  }

  void deallocate(T* p, std::size_t n) noexcept {
    if (n * sizeof(T) < kHugeBlock) {
      std::allocator<T>::deallocate(p, n);
    } else {
      ::operator delete (p, std::align_val_t{kHugePage});
    }
  }

  // Elements made without a value are left unset.
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }

  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

using FloatPlane = std::vector<float, UnsetAllocator<float>>;
// Quantized coefficients, written by the quantizer or the Huffman decoder.
using CoefficientPlane = std::vector<int16_t, UnsetAllocator<int16_t>>;
