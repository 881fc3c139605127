#include "base/HugePages.h"

#include <sys/mman.h>

#include <cstdint>

namespace metrazil {

namespace {

std::size_t WholePages(std::size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

}  // namespace

void* MapHugePages(std::size_t bytes) noexcept {
  if (bytes == 0 || bytes > static_cast<std::size_t>(-1) / 2) return nullptr;
  const std::size_t size = WholePages(bytes);
  // Mapped with room to spare and trimmed to a huge-page boundary, so every huge page lies whole inside.
  const std::size_t span = size + kHugePage;
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t base = (start + kHugePage - 1) & ~(kHugePage - 1);
  if (base > start) ::munmap(raw, base - start);
  if (const std::uintptr_t end = start + span; end > base + size) {
    ::munmap(reinterpret_cast<void*>(base + size), end - (base + size));
  }
  ::madvise(reinterpret_cast<void*>(base), size, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(base);
}

void UnmapHugePages(void* base, std::size_t bytes) noexcept {
  if (base != nullptr) ::munmap(base, WholePages(bytes));
}

}  // namespace metrazil
