#include "grid/model/CellTextArena.h"

#include <optional>

namespace metrazil {

TCellTextArena::~TCellTextArena() {
  for (char* chunk : chunks_) TCellPagePool::Free(pool_, chunk);
}

const char* TCellTextArena::StoreLarge(std::string_view text) {
  // A large text gets a chunk of its own, so the current chunk keeps its free room.
  large_.push_back(std::make_unique_for_overwrite<char[]>(text.size()));
  std::memcpy(large_.back().get(), text.data(), text.size());
  return large_.back().get();
}

void TCellTextArena::StartChunk(std::size_t atLeast) {
  // Chunks grow from small, so a small table does not pay for a large one; full-sized chunks of a long
  // read come from the pool's huge pages. A text longer than the next chunk skips sizes until one holds
  // it (at most kChunk, as larger texts are stored on their own).
  std::size_t size = nextChunk_;
  while (size < atLeast) size *= 2;
  chunks_.reserve(chunks_.size() + 1);
  char* chunk;
  {
    std::optional<TCellPagePool::BulkScope> bulk;
    if (size == kChunk && pool_ != nullptr) bulk.emplace(*pool_);
    chunk = static_cast<char*>(TCellPagePool::Allocate(pool_, size));
  }
  chunks_.push_back(chunk);
  cur_ = chunk;
  left_ = size;
  nextChunk_ = std::min(size * 2, kChunk);
}

}  // namespace metrazil
