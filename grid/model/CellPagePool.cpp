#include "grid/model/CellPagePool.h"

#include <new>

#include "base/HugePages.h"

namespace metrazil {

TCellPagePool::~TCellPagePool() {
  for (const auto& [base, region] : regions_) UnmapHugePages(reinterpret_cast<void*>(base), kRegion);
}

void* TCellPagePool::Allocate(TCellPagePool* pool, std::size_t bytes) {
  if (pool != nullptr && pool->bulk_ > 0) {
    if (void* piece = pool->Take(bytes)) return piece;
  }
  return ::operator new(bytes);
}

void TCellPagePool::Free(TCellPagePool* pool, void* data) noexcept {
  if (pool != nullptr && pool->Give(data)) return;
  ::operator delete(data);
}

void* TCellPagePool::Take(std::size_t bytes) {
  bytes = (bytes + 63) & ~std::size_t{63};
  if (bytes == 0 || bytes > kRegion / 4) return nullptr;
  if (current_ == regions_.end() || kRegion - current_->second.used < bytes) {
    if (!MapRegion()) return nullptr;
  }
  Region& region = current_->second;
  void* piece = reinterpret_cast<void*>(current_->first + region.used);
  region.used += bytes;
  ++region.live;
  return piece;
}

bool TCellPagePool::Give(void* data) {
  const auto address = reinterpret_cast<std::uintptr_t>(data);
  auto it = regions_.upper_bound(address);
  if (it == regions_.begin()) return false;
  --it;
  if (address >= it->first + kRegion) return false;
  if (--it->second.live == 0) {
    if (it == current_) current_ = regions_.end();
    UnmapHugePages(reinterpret_cast<void*>(it->first), kRegion);
    regions_.erase(it);
  }
  return true;
}

bool TCellPagePool::MapRegion() {
  void* base = MapHugePages(kRegion);
  if (base == nullptr) return false;
  // The region being left stays until its pieces are back.
  current_ = regions_.emplace(reinterpret_cast<std::uintptr_t>(base), Region{}).first;
  return true;
}

}  // namespace metrazil
