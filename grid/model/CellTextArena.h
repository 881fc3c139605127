#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "grid/model/CellPagePool.h"

namespace metrazil {

// Bump allocator for the cell texts longer than a cell holds inline. Chunks never move, so cells keep
// plain pointers; overwritten texts become dead bytes that a compaction (a fresh arena the live texts are
// copied into) gives back once they outweigh the live ones.
class TCellTextArena {
 public:
  static constexpr std::size_t kChunk = kHugePage;

  // The pool, which may be null, must outlive the arena.
  explicit TCellTextArena(TCellPagePool* pool) : pool_(pool) {}
  TCellTextArena(const TCellTextArena&) = delete;
  TCellTextArena& operator=(const TCellTextArena&) = delete;
  ~TCellTextArena();

  // A copy of the text that stays where it is for the arena's life. Inline: every long text of a read
  // passes here.
  const char* Store(std::string_view text) {
    live_ += text.size();
    if (text.size() > kChunk / 4) return StoreLarge(text);
    if (left_ < text.size()) StartChunk(text.size());
    char* place = cur_;
    std::memcpy(place, text.data(), text.size());
    cur_ += text.size();
    left_ -= text.size();
    return place;
  }
  // Counts size bytes of stored texts as no longer used.
  void Release(std::size_t size) {
    live_ -= size;
    dead_ += size;
  }
  bool WantsCompaction() const { return dead_ > kChunk && dead_ > live_; }

 private:
  const char* StoreLarge(std::string_view text);
  void StartChunk(std::size_t atLeast);

  TCellPagePool* pool_;
  std::vector<char*> chunks_;
  std::vector<std::unique_ptr<char[]>> large_;
  char* cur_ = nullptr;
  std::size_t left_ = 0;
  std::size_t nextChunk_ = kChunk / 128;
  std::size_t live_ = 0;
  std::size_t dead_ = 0;
};

}  // namespace metrazil
