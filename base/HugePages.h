#pragma once

#include <cstddef>
#include <new>

namespace metrazil {

// Anonymous memory in whole huge pages, for large buffers filled in one go: a first touch then faults in
// 2 MB instead of 4 kB, and on a virtual machine each fault costs about as much as the zeroing it brings.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// At least bytes of zeroed memory starting on a huge-page boundary, advised to be backed by huge pages
// (advice only: the kernel may not have them); null when it cannot be mapped.
void* MapHugePages(std::size_t bytes) noexcept;
// Gives back what MapHugePages(bytes) returned.
void UnmapHugePages(void* base, std::size_t bytes) noexcept;

// For containers that are sized once and large: an allocation of a huge page or more is mapped with
// MapHugePages, a smaller one comes from the heap.
template <class T>
struct THugePageAllocator {
  using value_type = T;
  THugePageAllocator() = default;
  template <class U>
  THugePageAllocator(const THugePageAllocator<U>&) {}  // NOLINT: rebinding is implicit
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    if (!Maps(n)) return static_cast<T*>(::operator new(n * sizeof(T)));
    void* data = MapHugePages(n * sizeof(T));
    if (data == nullptr) throw std::bad_alloc();
    return static_cast<T*>(data);
  }
  void deallocate(T* data, std::size_t n) noexcept {
    if (Maps(n)) {
      UnmapHugePages(data, n * sizeof(T));
    } else {
      ::operator delete(data);
    }
  }
  template <class U>
  bool operator==(const THugePageAllocator<U>&) const {
    return true;
  }
  // Whether n elements are mapped rather than taken from the heap.
  static bool Maps(std::size_t n) { return n * sizeof(T) >= kHugePage; }
};

}  // namespace metrazil
