#pragma once
// A plane of floats whose samples are not set when it is made: the codec
// writes every sample of its planes itself (on the threads that use them),
// so clearing them first would only cost a pass over memory.
#include <memory>
#include <new>
#include <vector>

template <class T>
struct UnsetAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UnsetAllocator<U>;
  };

  UnsetAllocator() = default;
  template <class U>
  UnsetAllocator(const UnsetAllocator<U>&) noexcept {}

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
