#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <type_traits>

#include "base/HugePages.h"

namespace metrazil {

// Regions of a few huge pages, handed out front to back and unmapped once every piece is back. Only the
// pieces asked for inside a BulkScope come from here (a long read's blocks and text chunks, which fill a
// region with a fraction of the page faults); everything else comes from the heap. Pieces are not reused
// one by one, so the blocks an edit reallocates go back to the heap, and a region stays mapped while any
// of its pieces lives.
class TCellPagePool {
 public:
  static constexpr std::size_t kRegion = std::size_t{8} << 20;

  TCellPagePool() = default;
  TCellPagePool(const TCellPagePool&) = delete;
  TCellPagePool& operator=(const TCellPagePool&) = delete;
  ~TCellPagePool();

  // Marks the allocations of a long read; scopes nest.
  class BulkScope {
   public:
    explicit BulkScope(TCellPagePool& pool) : pool_(pool) { ++pool_.bulk_; }
    ~BulkScope() { --pool_.bulk_; }
    BulkScope(const BulkScope&) = delete;
    BulkScope& operator=(const BulkScope&) = delete;

   private:
    TCellPagePool& pool_;
  };

  // A piece of a region while a BulkScope is open and the size suits one, else heap memory. The pool may
  // be null. Free takes either back.
  static void* Allocate(TCellPagePool* pool, std::size_t bytes);
  static void Free(TCellPagePool* pool, void* data) noexcept;

  // Containers of the store allocate through this.
  template <class T>
  struct Allocator {
    using value_type = T;
    using propagate_on_container_copy_assignment = std::true_type;
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;
    TCellPagePool* pool = nullptr;
    Allocator() = default;
    explicit Allocator(TCellPagePool* p) : pool(p) {}
    template <class U>
    Allocator(const Allocator<U>& other) : pool(other.pool) {}  // NOLINT: rebinding is implicit
    T* allocate(std::size_t n) { return static_cast<T*>(Allocate(pool, n * sizeof(T))); }
    void deallocate(T* data, std::size_t) noexcept { Free(pool, data); }
    friend bool operator==(const Allocator& a, const Allocator& b) { return a.pool == b.pool; }
  };

  std::size_t MappedBytes() const { return regions_.size() * kRegion; }

 private:
  struct Region {
    std::size_t used = 0;
    std::size_t live = 0;
  };

  // A piece of a region, or null when the size does not suit one or no region can be mapped.
  void* Take(std::size_t bytes);
  // Whether the piece came from here; a region whose last piece comes back is unmapped.
  bool Give(void* data);
  bool MapRegion();

  std::map<std::uintptr_t, Region> regions_;
  std::map<std::uintptr_t, Region>::iterator current_ = regions_.end();
  int bulk_ = 0;
};

}  // namespace metrazil
