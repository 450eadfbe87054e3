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

// How the pages of a large block (kLargeBlock bytes or more) come to it.
//  - kOnDemand: as the program first touches each one, the system's way.
//  - kHuge: the block starts on a huge-page boundary and is marked for huge
//    pages where the system offers them: it is then faulted in one 2 MiB
//    page at a time instead of 512 small ones, and its columns are walked
//    with far fewer address translations. Only the float planes, the
//    largest blocks and the ones walked by column, are marked: with the
//    coefficient plane and the coder's byte buffers marked as well, a
//    4000 x 4000 encode took 150 to 270 ms instead of 142 to 179 (decoding
//    took the same either way).
//  - kPrefaulted: every page is given at once as the block is made, in one
//    call instead of one fault per page, for blocks the codec writes in
//    full straight away (a fault costs most in a virtual machine: a cold
//    4000 x 4000 encode took 115 to 145 ms instead of 150 to 190).
enum class Pages : uint8_t { kOnDemand, kHuge, kPrefaulted };

inline constexpr std::size_t kHugePage = std::size_t{2} << 20;
inline constexpr std::size_t kLargeBlock = 4 * kHugePage;
// Every block starts on a cache line, the width of the widest vector: a
// row of a plane whose width is a multiple of 16 then starts on one too.
inline constexpr std::size_t kVectorAlignment = 64;

template <class T, Pages kPages = Pages::kHuge>
struct UnsetAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UnsetAllocator<U, kPages>;
  };

  UnsetAllocator() = default;
  template <class U>
  UnsetAllocator(const UnsetAllocator<U, kPages>&) noexcept {}

  // `n` is a count allocate has checked against overflow.
  static bool large(std::size_t n) { return n * sizeof(T) >= kLargeBlock; }

  static bool huge(std::size_t n) { return kPages == Pages::kHuge && large(n); }

  // Huge blocks start on a huge page, the rest on a cache line.
  static std::align_val_t alignment(std::size_t n) {
    return std::align_val_t{huge(n) ? kHugePage : kVectorAlignment};
  }

  T* allocate(std::size_t n) {
    if (n > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
    const std::size_t bytes = n * sizeof(T);
    T* block = static_cast<T*>(::operator new (bytes, alignment(n)));
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (huge(n)) madvise(block, bytes / kHugePage * kHugePage, MADV_HUGEPAGE);  // only a hint
#endif
    if (kPages == Pages::kPrefaulted && large(n)) prefault(block, bytes);
    return block;
  }

  void deallocate(T* p, std::size_t n) noexcept { ::operator delete (p, alignment(n)); }

  // Asks the system for every whole page of the block now; only a hint,
  // which older systems refuse.
  static void prefault(void* block, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    constexpr std::uintptr_t kPage = 4096;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + kPage - 1) & ~(kPage - 1);
    const std::uintptr_t end = (start + bytes) & ~(kPage - 1);
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
    (void)block;
    (void)bytes;
#endif
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
// Quantized coefficients, written in full by the quantizer or the Huffman
// decoder.
using CoefficientPlane = std::vector<int16_t, UnsetAllocator<int16_t, Pages::kPrefaulted>>;
// Bytes a coder writes before anything reads them; room for the worst case,
// of which a coder mostly uses little.
using ByteBuffer = std::vector<uint8_t, UnsetAllocator<uint8_t, Pages::kOnDemand>>;
