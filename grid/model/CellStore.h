#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "grid/model/CellPagePool.h"

namespace metrazil {

class TCellTextArena;

// Sparse store of non-empty cell texts keyed by row and column, independent of any counts.
//
// Stored rows are kept in row order in blocks of at most kBlockRows rows; each block carries a row offset,
// so shifting a run of rows touches only the blocks at its two ends. A row holds its cells sorted by column;
// a cell is 16 bytes with texts of up to 8 bytes inline and longer ones in a chunked arena whose addresses
// never move. Reading never allocates; only a write does. Indexes are not checked here (the grid does).
class TCellStore {
 public:
  struct Cell {
    static constexpr std::uint32_t kInline = 8;
    int col;
    std::uint32_t size;
    union {
      const char* ptr;
      char inl[kInline];
    };
    std::string_view Text() const {
      return size <= kInline ? std::string_view(inl, size) : std::string_view(ptr, size);
    }
  };

  TCellStore();
  ~TCellStore();
  TCellStore(TCellStore&&) noexcept;
  TCellStore& operator=(TCellStore&&) noexcept;
  TCellStore(const TCellStore&) = delete;
  TCellStore& operator=(const TCellStore&) = delete;

  // The stored text, or an empty view; valid until the next write.
  std::string_view Get(int col, int row) const;
  // Stores the text, replacing what was there; an empty text deletes the entry.
  void Set(int col, int row, std::string_view text);
  // One text of SetSorted.
  struct Write {
    int col;
    int row;
    std::string_view text;
  };
  // Sees a write's index and the text it would replace (empty when none is stored) and says whether to make it.
  using TWriteFilter = std::function<bool(std::size_t index, std::string_view before)>;
  // Stores many texts as Set one by one would, in one pass over each block they touch, so that a block
  // command over a million rows costs its cells, not its cells times a block: the writes sorted by row, then
  // column, each cell once. A filter may leave writes out; betweenBlocks is called after each block, when the
  // store is whole.
  void SetSorted(std::span<const Write> writes, const TWriteFilter& filter,
                 const std::function<void()>& betweenBlocks = {});
  // Set with a fast path for writes in row and column order (a file being read); a new row reserves room
  // for rowCapacityHint cells.
  void Append(int col, int row, std::string_view text, std::size_t rowCapacityHint);

  std::size_t CellCount() const { return cellCount_; }
  // Bytes mapped for large tables outside the heap (see TCellPagePool), for memory figures.
  std::size_t PooledBytes() const;

  // Moves the rows in [first, oldEnd) down by count. Cells of columns at or past colLimit stay at their
  // row index, and of the rows in [oldEnd, oldEnd + count) only those columns survive.
  void InsertRows(int first, int oldEnd, int count, int colLimit);
  // Puts the whole row `row` at index `last` and moves the rows in (row, last] up by one.
  void RotateRowToEnd(int row, int last);
  // The inverse: puts the whole row `last` at index `row` and moves the rows in [row, last) down by one.
  void RotateRowFromEnd(int row, int last);

  // Calls visit(rowIndex, cells) for every stored row in [first, last), in row order, while it returns true.
  // With minCol, only the rows of blocks that may hold a column at or past it: a cheap superset of the rows
  // that do, for looking for texts past a column count without touching every row.
  template <class Visit>
  void ForEachRow(std::int64_t first, std::int64_t last, Visit&& visit, int minCol = 0) const {
    for (std::size_t b = FindBlock(first); b < blocks_.size(); ++b) {
      const Block& block = blocks_[b];
      if (block.maxCol < minCol) {
        if (!block.rows.empty() && block.Last() >= last) return;
        continue;
      }
      for (const Row& row : block.rows) {
        const std::int64_t index = row.rel + block.offset;
        if (index < first) continue;
        if (index >= last) return;
        if (!visit(static_cast<int>(index), block.CellsOf(row))) return;
      }
    }
  }
  // The same from the last stored row in [first, last) down to the first.
  template <class Visit>
  void ForEachRowBackward(std::int64_t first, std::int64_t last, Visit&& visit) const {
    if (blocks_.empty() || last <= first) return;
    for (std::size_t b = std::min(FindBlock(last - 1), blocks_.size() - 1) + 1; b-- > 0;) {
      const Block& block = blocks_[b];
      for (auto row = block.rows.rbegin(); row != block.rows.rend(); ++row) {
        const std::int64_t index = row->rel + block.offset;
        if (index >= last) continue;
        if (index < first) return;
        if (!visit(static_cast<int>(index), block.CellsOf(*row))) return;
      }
    }
  }

 private:
  static constexpr std::size_t kBlockRows = 512;
  static constexpr std::size_t kBlockCells = 16384;
  // Blocks of a read in order before its allocations go to the pool: about 32k rows.
  static constexpr std::size_t kBlocksBeforeBulk = 64;

  template <class T>
  using PoolAllocator = TCellPagePool::Allocator<T>;

  // A stored row: its index relative to the block's offset and its run of the block's cells.
  struct Row {
    std::int64_t rel;
    std::uint32_t begin;
    std::uint32_t count;
  };
  // Rows in order, and their cells in the same order in one vector, so a row costs no allocation.
  struct Block {
    explicit Block(TCellPagePool* pool) : rows(PoolAllocator<Row>(pool)), cells(PoolAllocator<Cell>(pool)) {}
    std::int64_t offset = 0;
    int maxCol = -1;  // an upper bound: cells removed later may leave it high
    std::vector<Row, PoolAllocator<Row>> rows;
    std::vector<Cell, PoolAllocator<Cell>> cells;
    std::int64_t First() const { return rows.front().rel + offset; }
    std::int64_t Last() const { return rows.back().rel + offset; }
    std::span<const Cell> CellsOf(const Row& row) const { return {cells.data() + row.begin, row.count}; }
  };
  struct RowPosition {
    std::size_t block;
    std::size_t row;
    bool found;
  };
  // First block whose last row is at or past `row`, or blocks_.size().
  std::size_t FindBlock(std::int64_t row) const;
  // Position of `row` in the block, or of the first row after it.
  static std::size_t FindRowIn(const Block& block, std::int64_t row);
  RowPosition Locate(std::int64_t row) const;
  // Adds an entry without cells for a row that is not stored yet.
  RowPosition InsertEmptyRow(std::int64_t row);
  void EraseEmptyRow(std::size_t block, std::size_t row);
  static void InsertCells(Block& block, std::size_t row, std::size_t cellIndex, std::span<const Cell> cells);
  static void EraseCells(Block& block, std::size_t row, std::size_t cellIndex, std::size_t count);
  void SplitIfLarge(std::size_t block);
  // SetSorted's writes [first, end) merged into block b, which then becomes as many blocks as its size needs.
  void MergeIntoBlock(std::size_t b, std::span<const Write> writes, std::size_t first, std::size_t end,
                      const TWriteFilter& filter);
  // Takes a row out with its cells, whose texts stay allocated; PutRow gives such cells back.
  std::vector<Cell> TakeRow(std::int64_t row);
  void PutRow(std::int64_t row, std::span<const Cell> cells);
  void ShiftRange(std::int64_t first, std::int64_t last, std::int64_t delta);
  void FillCell(Cell& cell, int col, std::string_view text);
  Cell MakeCell(int col, std::string_view text);
  void ReleaseCell(const Cell& cell);
  void MaybeCompact();

  // The pool goes last: it must outlive the blocks and the arena (see the destructor), while a move
  // assignment frees the old blocks before it replaces the old pool.
  std::vector<Block> blocks_;
  std::unique_ptr<TCellTextArena> arena_;
  std::size_t cellCount_ = 0;
  std::unique_ptr<TCellPagePool> pool_;
};

}  // namespace metrazil
