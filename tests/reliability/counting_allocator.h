#pragma once
// Watches every heap request of the test program: malloc, calloc, realloc
// and the aligned forms (operator new and the image libraries all end there)
// are replaced by versions that note the size asked for, then forward to the
// C library's allocator. Include in exactly one source file of a program.
//
// Sanitizer builds keep their own allocator; there the watch is unavailable
// and the tests that need it say so and skip.
#include <atomic>
#include <cstddef>
#include <cstdint>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define WSQ_ALLOCATION_WATCH 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define WSQ_ALLOCATION_WATCH 0
#endif
#endif
#ifndef WSQ_ALLOCATION_WATCH
#define WSQ_ALLOCATION_WATCH 1
#endif

namespace allocation_watch_state {
inline std::atomic<bool> watching{false};
inline std::atomic<size_t> largest{0};
inline std::atomic<size_t> count{0};

inline void note(size_t size) {
  if (!watching.load(std::memory_order_relaxed)) return;
  count.fetch_add(1, std::memory_order_relaxed);
  size_t seen = largest.load(std::memory_order_relaxed);
  while (size > seen && !largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
  }
}
}  // namespace allocation_watch_state

// Notes the largest single request made while the object is alive.
class AllocationWatch {
 public:
  static constexpr bool kAvailable = WSQ_ALLOCATION_WATCH != 0;

  AllocationWatch() {
    allocation_watch_state::largest = 0;
    allocation_watch_state::count = 0;
    allocation_watch_state::watching = true;
  }
  ~AllocationWatch() { allocation_watch_state::watching = false; }
  AllocationWatch(const AllocationWatch&) = delete;
  AllocationWatch& operator=(const AllocationWatch&) = delete;

  size_t largest() const { return allocation_watch_state::largest; }
  size_t count() const { return allocation_watch_state::count; }
};

#if WSQ_ALLOCATION_WATCH
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);

void* malloc(size_t size) {
  allocation_watch_state::note(size);
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  allocation_watch_state::note(size != 0 && count > SIZE_MAX / size ? SIZE_MAX : count * size);
  return __libc_calloc(count, size);
}
void* realloc(void* pointer, size_t size) {
  allocation_watch_state::note(size);
  return __libc_realloc(pointer, size);
}
void free(void* pointer) { __libc_free(pointer); }
void* memalign(size_t alignment, size_t size) {
  allocation_watch_state::note(size);
  return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
  allocation_watch_state::note(size);
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
  allocation_watch_state::note(size);
  void* pointer = __libc_memalign(alignment, size);
  if (pointer == nullptr) return 12;  // ENOMEM
  *out = pointer;
  return 0;
}
}
#endif
