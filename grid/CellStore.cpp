#include "grid/CellStore.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace metrazil {

// Bump allocator for texts longer than the inline size. Chunks never move, so cells keep plain pointers;
// overwritten texts become dead bytes that a compaction gives back once they outweigh the live ones.
class TCellStore::Arena {
 public:
  static constexpr std::size_t kChunk = std::size_t{1} << 20;

  const char* Store(std::string_view text) {
    live_ += text.size();
    if (text.size() > kChunk / 4) {
      // A large text gets a chunk of its own, so the current chunk keeps its free room.
      large_.push_back(std::make_unique<char[]>(text.size()));
      std::memcpy(large_.back().get(), text.data(), text.size());
      return large_.back().get();
    }
    if (left_ < text.size()) {
      chunks_.push_back(std::make_unique<char[]>(kChunk));
      cur_ = chunks_.back().get();
      left_ = kChunk;
    }
    char* place = cur_;
    std::memcpy(place, text.data(), text.size());
    cur_ += text.size();
    left_ -= text.size();
    return place;
  }
  void Release(std::size_t size) {
    live_ -= size;
    dead_ += size;
  }
  bool WantsCompaction() const { return dead_ > kChunk && dead_ > live_; }

 private:
  std::vector<std::unique_ptr<char[]>> chunks_;
  std::vector<std::unique_ptr<char[]>> large_;
  char* cur_ = nullptr;
  std::size_t left_ = 0;
  std::size_t live_ = 0;
  std::size_t dead_ = 0;
};

TCellStore::TCellStore() : arena_(std::make_unique<Arena>()) {}
TCellStore::~TCellStore() = default;
TCellStore::TCellStore(TCellStore&&) noexcept = default;
TCellStore& TCellStore::operator=(TCellStore&&) noexcept = default;

std::size_t TCellStore::FindBlock(std::int64_t row) const {
  const auto it =
      std::partition_point(blocks_.begin(), blocks_.end(), [row](const Block& block) { return block.Last() < row; });
  return static_cast<std::size_t>(it - blocks_.begin());
}

std::size_t TCellStore::FindRowIn(const Block& block, std::int64_t row) {
  const std::int64_t rel = row - block.offset;
  const auto it =
      std::partition_point(block.rows.begin(), block.rows.end(), [rel](const Row& r) { return r.rel < rel; });
  return static_cast<std::size_t>(it - block.rows.begin());
}

TCellStore::Row* TCellStore::FindRow(int row) {
  const std::size_t b = FindBlock(row);
  if (b == blocks_.size()) return nullptr;
  Block& block = blocks_[b];
  const std::size_t r = FindRowIn(block, row);
  if (r == block.rows.size() || block.rows[r].rel + block.offset != row) return nullptr;
  return &block.rows[r];
}

bool TCellStore::HasRow(int row) const { return const_cast<TCellStore*>(this)->FindRow(row) != nullptr; }

std::size_t TCellStore::StoredRowCount() const {
  std::size_t count = 0;
  for (const Block& block : blocks_) count += block.rows.size();
  return count;
}

std::string_view TCellStore::Get(int col, int row) const {
  const Row* r = const_cast<TCellStore*>(this)->FindRow(row);
  if (r == nullptr) return {};
  const auto it = std::partition_point(r->cells.begin(), r->cells.end(), [col](const Cell& c) { return c.col < col; });
  if (it == r->cells.end() || it->col != col) return {};
  return it->Text();
}

TCellStore::Cell TCellStore::MakeCell(int col, std::string_view text) {
  Cell cell;
  cell.col = col;
  cell.size = static_cast<std::uint32_t>(text.size());
  if (text.size() <= Cell::kInline) {
    std::memset(cell.inl, 0, Cell::kInline);
    std::memcpy(cell.inl, text.data(), text.size());
  } else {
    cell.ptr = arena_->Store(text);
  }
  ++cellCount_;
  return cell;
}

void TCellStore::ReleaseCell(const Cell& cell) {
  if (cell.size > Cell::kInline) arena_->Release(cell.size);
  --cellCount_;
}

TCellStore::Row& TCellStore::InsertRow(int row, std::size_t capacityHint) {
  std::size_t b = FindBlock(row);
  if (b == blocks_.size()) {
    if (blocks_.empty() || blocks_.back().rows.size() >= kBlockRows) {
      blocks_.emplace_back();
      blocks_.back().rows.reserve(kBlockRows);
    }
    b = blocks_.size() - 1;
  } else if (blocks_[b].rows.size() >= kBlockRows) {
    // Split the full block; its upper half keeps the same offset.
    Block upper;
    upper.offset = blocks_[b].offset;
    upper.maxCol = blocks_[b].maxCol;
    auto middle = blocks_[b].rows.begin() + static_cast<std::ptrdiff_t>(kBlockRows / 2);
    upper.rows.assign(std::make_move_iterator(middle), std::make_move_iterator(blocks_[b].rows.end()));
    blocks_[b].rows.erase(middle, blocks_[b].rows.end());
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1, std::move(upper));
    if (blocks_[b].Last() < row) ++b;
  }
  Block& block = blocks_[b];
  const std::size_t r = FindRowIn(block, row);
  Row& entry = *block.rows.insert(block.rows.begin() + static_cast<std::ptrdiff_t>(r), Row{row - block.offset, {}});
  entry.cells.reserve(std::max<std::size_t>(capacityHint, 1));
  return entry;
}

void TCellStore::EraseRow(std::size_t blockIndex, std::size_t rowIndex) {
  Block& block = blocks_[blockIndex];
  block.rows.erase(block.rows.begin() + static_cast<std::ptrdiff_t>(rowIndex));
  if (block.rows.empty()) blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(blockIndex));
}

void TCellStore::Set(int col, int row, std::string_view text) {
  const std::size_t b = FindBlock(row);
  std::size_t r = 0;
  const bool rowStored = b < blocks_.size() && (r = FindRowIn(blocks_[b], row)) < blocks_[b].rows.size() &&
                         blocks_[b].rows[r].rel + blocks_[b].offset == row;
  if (!rowStored) {
    if (text.empty()) return;
    Row& entry = InsertRow(row, 1);
    entry.cells.push_back(MakeCell(col, text));
    Block& block = blocks_[FindBlock(row)];
    block.maxCol = std::max(block.maxCol, col);
    return;
  }
  Block& block = blocks_[b];
  std::vector<Cell>& cells = block.rows[r].cells;
  const auto it = std::partition_point(cells.begin(), cells.end(), [col](const Cell& c) { return c.col < col; });
  const bool cellStored = it != cells.end() && it->col == col;
  if (text.empty()) {
    if (!cellStored) return;
    ReleaseCell(*it);
    cells.erase(it);
    if (cells.empty()) EraseRow(b, r);
    MaybeCompact();
    return;
  }
  if (cellStored) {
    if (it->size > Cell::kInline && text.size() > Cell::kInline && text.size() <= it->size) {
      // Reuse the old place; the bytes it no longer needs count as dead.
      std::memcpy(const_cast<char*>(it->ptr), text.data(), text.size());
      arena_->Release(it->size - text.size());
      it->size = static_cast<std::uint32_t>(text.size());
    } else {
      ReleaseCell(*it);
      *it = MakeCell(col, text);
    }
    MaybeCompact();
    return;
  }
  cells.insert(it, MakeCell(col, text));
  block.maxCol = std::max(block.maxCol, col);
}

void TCellStore::Append(int col, int row, std::string_view text, std::size_t rowCapacityHint) {
  if (!text.empty() && !blocks_.empty()) {
    Block& block = blocks_.back();
    Row& last = block.rows.back();
    const std::int64_t lastRow = last.rel + block.offset;
    if (row == lastRow && col > last.cells.back().col) {
      last.cells.push_back(MakeCell(col, text));
      block.maxCol = std::max(block.maxCol, col);
      return;
    }
    if (row > lastRow) {
      if (block.rows.size() < kBlockRows) {
        block.rows.push_back(Row{row - block.offset, {}});
        block.rows.back().cells.reserve(std::max<std::size_t>(rowCapacityHint, 1));
        block.rows.back().cells.push_back(MakeCell(col, text));
        block.maxCol = std::max(block.maxCol, col);
        return;
      }
      Row& entry = InsertRow(row, rowCapacityHint);
      entry.cells.push_back(MakeCell(col, text));
      blocks_.back().maxCol = std::max(blocks_.back().maxCol, col);
      return;
    }
  }
  Set(col, row, text);
}

void TCellStore::Clear() {
  blocks_.clear();
  arena_ = std::make_unique<Arena>();
  cellCount_ = 0;
}

void TCellStore::ShiftRange(std::int64_t first, std::int64_t last, std::int64_t delta) {
  for (std::size_t b = FindBlock(first); b < blocks_.size() && blocks_[b].First() < last; ++b) {
    Block& block = blocks_[b];
    if (block.First() >= first && block.Last() < last) {
      block.offset += delta;
      continue;
    }
    for (Row& row : block.rows) {
      const std::int64_t index = row.rel + block.offset;
      if (index >= first && index < last) row.rel += delta;
    }
  }
}

void TCellStore::InsertRows(int first, int oldEnd, int count, int colLimit) {
  if (count <= 0 || first > oldEnd) return;
  struct Residue {
    int row;
    std::vector<Cell> cells;
  };
  std::vector<Residue> residues;
  const std::int64_t moveEnd = static_cast<std::int64_t>(oldEnd) + count;
  // Columns at or past colLimit do not move with their rows, and the rows the move lands on keep only
  // those columns. Blocks whose column bound is below the limit are passed over whole.
  for (std::size_t b = FindBlock(first); b < blocks_.size() && blocks_[b].First() < moveEnd;) {
    Block& block = blocks_[b];
    const bool mayHoldResidue = block.maxCol >= colLimit;
    if (!mayHoldResidue && (block.Last() < oldEnd || block.First() >= moveEnd)) {
      ++b;
      continue;
    }
    int maxCol = -1;
    for (std::size_t r = 0; r < block.rows.size();) {
      Row& row = block.rows[r];
      const std::int64_t index = row.rel + block.offset;
      const bool landing = index >= oldEnd && index < moveEnd;
      if (index >= first && index < moveEnd && (landing || mayHoldResidue)) {
        auto split = std::partition_point(row.cells.begin(), row.cells.end(),
                                          [colLimit](const Cell& c) { return c.col < colLimit; });
        if (split != row.cells.end()) {
          residues.push_back(Residue{static_cast<int>(index), std::vector<Cell>(split, row.cells.end())});
          row.cells.erase(split, row.cells.end());
        }
        if (landing) {
          for (const Cell& cell : row.cells) ReleaseCell(cell);
          row.cells.clear();
        }
        if (row.cells.empty()) {
          block.rows.erase(block.rows.begin() + static_cast<std::ptrdiff_t>(r));
          continue;
        }
      }
      maxCol = std::max(maxCol, row.cells.back().col);
      ++r;
    }
    if (block.rows.empty()) {
      blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
      continue;
    }
    if (mayHoldResidue) block.maxCol = maxCol;
    ++b;
  }
  ShiftRange(first, oldEnd, count);
  for (Residue& residue : residues) {
    Row* row = FindRow(residue.row);
    if (row == nullptr) row = &InsertRow(residue.row, residue.cells.size());
    row->cells.insert(row->cells.end(), residue.cells.begin(), residue.cells.end());
    Block& block = blocks_[FindBlock(residue.row)];
    block.maxCol = std::max(block.maxCol, row->cells.back().col);
  }
  MaybeCompact();
}

void TCellStore::RotateRowToEnd(int row, int last) {
  if (row >= last) return;
  std::vector<Cell> taken;
  const std::size_t b = FindBlock(row);
  if (b < blocks_.size()) {
    const std::size_t r = FindRowIn(blocks_[b], row);
    if (r < blocks_[b].rows.size() && blocks_[b].rows[r].rel + blocks_[b].offset == row) {
      taken = std::move(blocks_[b].rows[r].cells);
      EraseRow(b, r);
    }
  }
  ShiftRange(static_cast<std::int64_t>(row) + 1, static_cast<std::int64_t>(last) + 1, -1);
  if (taken.empty()) return;
  const int maxCol = taken.back().col;
  InsertRow(last, 0).cells = std::move(taken);
  Block& block = blocks_[FindBlock(last)];
  block.maxCol = std::max(block.maxCol, maxCol);
}

void TCellStore::MaybeCompact() {
  if (!arena_->WantsCompaction()) return;
  auto fresh = std::make_unique<Arena>();
  for (Block& block : blocks_) {
    for (Row& row : block.rows) {
      for (Cell& cell : row.cells) {
        if (cell.size > Cell::kInline) cell.ptr = fresh->Store(cell.Text());
      }
    }
  }
  arena_ = std::move(fresh);
}

}  // namespace metrazil
