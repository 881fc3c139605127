#include "grid/model/CellStore.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

#include "base/Exception.h"
#include "grid/model/CellTextArena.h"

namespace metrazil {

TCellStore::TCellStore() : pool_(std::make_unique<TCellPagePool>()) {
  arena_ = std::make_unique<TCellTextArena>(pool_.get());
}

TCellStore::~TCellStore() {
  // What the pool handed out goes back before the pool itself.
  blocks_.clear();
  arena_.reset();
}
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

TCellStore::RowPosition TCellStore::Locate(std::int64_t row) const {
  const std::size_t b = FindBlock(row);
  if (b == blocks_.size()) return {b, 0, false};
  const Block& block = blocks_[b];
  const std::size_t r = FindRowIn(block, row);
  return {b, r, r < block.rows.size() && block.rows[r].rel + block.offset == row};
}

std::size_t TCellStore::PooledBytes() const { return pool_ ? pool_->MappedBytes() : 0; }

std::string_view TCellStore::Get(int col, int row) const {
  const RowPosition position = Locate(row);
  if (!position.found) return {};
  const Block& block = blocks_[position.block];
  const std::span<const Cell> cells = block.CellsOf(block.rows[position.row]);
  const auto it = std::partition_point(cells.begin(), cells.end(), [col](const Cell& c) { return c.col < col; });
  if (it == cells.end() || it->col != col) return {};
  return it->Text();
}

void TCellStore::FillCell(Cell& cell, int col, std::string_view text) {
  cell.col = col;
  cell.size = static_cast<std::uint32_t>(text.size());
  if (text.size() <= Cell::kInline) {
    std::memset(cell.inl, 0, Cell::kInline);
    std::memcpy(cell.inl, text.data(), text.size());
  } else {
    cell.ptr = arena_->Store(text);
  }
  ++cellCount_;
}

TCellStore::Cell TCellStore::MakeCell(int col, std::string_view text) {
  Cell cell;
  FillCell(cell, col, text);
  return cell;
}

void TCellStore::ReleaseCell(const Cell& cell) {
  if (cell.size > Cell::kInline) arena_->Release(cell.size);
  --cellCount_;
}

void TCellStore::InsertCells(Block& block, std::size_t row, std::size_t cellIndex, std::span<const Cell> cells) {
  block.cells.insert(block.cells.begin() + static_cast<std::ptrdiff_t>(cellIndex), cells.begin(), cells.end());
  const auto n = static_cast<std::uint32_t>(cells.size());
  block.rows[row].count += n;
  for (std::size_t r = row + 1; r < block.rows.size(); ++r) block.rows[r].begin += n;
  for (const Cell& cell : cells) block.maxCol = std::max(block.maxCol, cell.col);
}

void TCellStore::EraseCells(Block& block, std::size_t row, std::size_t cellIndex, std::size_t count) {
  const auto first = block.cells.begin() + static_cast<std::ptrdiff_t>(cellIndex);
  block.cells.erase(first, first + static_cast<std::ptrdiff_t>(count));
  const auto n = static_cast<std::uint32_t>(count);
  block.rows[row].count -= n;
  for (std::size_t r = row + 1; r < block.rows.size(); ++r) block.rows[r].begin -= n;
}

void TCellStore::SplitIfLarge(std::size_t b) {
  Block& block = blocks_[b];
  if (block.rows.size() < 2 || (block.rows.size() < kBlockRows && block.cells.size() < kBlockCells)) return;
  const std::size_t middle = block.rows.size() / 2;
  const std::uint32_t cellMiddle = block.rows[middle].begin;
  Block upper(pool_.get());
  upper.offset = block.offset;
  upper.maxCol = block.maxCol;
  upper.rows.assign(block.rows.begin() + static_cast<std::ptrdiff_t>(middle), block.rows.end());
  for (Row& row : upper.rows) row.begin -= cellMiddle;
  upper.cells.assign(block.cells.begin() + cellMiddle, block.cells.end());
  block.rows.resize(middle);
  block.cells.resize(cellMiddle);
  blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1, std::move(upper));
}

TCellStore::RowPosition TCellStore::InsertEmptyRow(std::int64_t row) {
  std::size_t b = FindBlock(row);
  if (b == blocks_.size()) {
    if (blocks_.empty() || blocks_.back().rows.size() >= kBlockRows) blocks_.emplace_back(pool_.get());
    b = blocks_.size() - 1;
  } else if (blocks_[b].rows.size() >= kBlockRows) {
    SplitIfLarge(b);
    if (blocks_[b].Last() < row) ++b;
  }
  Block& block = blocks_[b];
  const std::size_t r = FindRowIn(block, row);
  const auto begin = static_cast<std::uint32_t>(r < block.rows.size() ? block.rows[r].begin : block.cells.size());
  block.rows.insert(block.rows.begin() + static_cast<std::ptrdiff_t>(r), Row{row - block.offset, begin, 0});
  return {b, r, true};
}

void TCellStore::EraseEmptyRow(std::size_t b, std::size_t r) {
  Block& block = blocks_[b];
  block.rows.erase(block.rows.begin() + static_cast<std::ptrdiff_t>(r));
  if (block.rows.empty()) blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
}

namespace {

// A cell keeps its length in 32 bits; a longer text would be cut without a word.
void CheckTextSize(std::string_view text) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) throw EInvalidGridOperation::GridTooLarge();
}

}  // namespace

void TCellStore::Set(int col, int row, std::string_view text) {
  CheckTextSize(text);
  RowPosition position = Locate(row);
  if (!position.found) {
    if (text.empty()) return;
    const Cell cell = MakeCell(col, text);
    position = InsertEmptyRow(row);
    Block& block = blocks_[position.block];
    InsertCells(block, position.row, block.rows[position.row].begin, std::span<const Cell>(&cell, 1));
    SplitIfLarge(position.block);
    return;
  }
  Block& block = blocks_[position.block];
  const Row& entry = block.rows[position.row];
  const auto rowBegin = block.cells.begin() + entry.begin;
  const auto it = std::partition_point(rowBegin, rowBegin + entry.count, [col](const Cell& c) { return c.col < col; });
  const bool cellStored = it != rowBegin + entry.count && it->col == col;
  const auto cellIndex = static_cast<std::size_t>(it - block.cells.begin());
  if (text.empty()) {
    if (!cellStored) return;
    ReleaseCell(*it);
    EraseCells(block, position.row, cellIndex, 1);
    if (block.rows[position.row].count == 0) EraseEmptyRow(position.block, position.row);
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
  const Cell cell = MakeCell(col, text);
  InsertCells(block, position.row, cellIndex, std::span<const Cell>(&cell, 1));
  SplitIfLarge(position.block);
}

void TCellStore::SetSorted(std::span<const Write> writes, const TWriteFilter& filter,
                           const std::function<void()>& betweenBlocks) {
  for (const Write& write : writes) CheckTextSize(write.text);
  std::size_t next = 0;
  while (next < writes.size()) {
    // The block holding the row or the first one after it; past the last stored row, the last block.
    std::size_t b = FindBlock(writes[next].row);
    const bool newBlock = blocks_.empty();
    if (newBlock) blocks_.emplace_back(pool_.get());
    if (b == blocks_.size()) b = blocks_.size() - 1;
    const bool lastBlock = b + 1 == blocks_.size();
    const std::int64_t blockLast = blocks_[b].rows.empty() ? 0 : blocks_[b].Last();
    // A block's worth of rows at a time: rows between stored ones or past the last may be any number, and
    // one merge of them all would keep the caller from painting until it ends.
    std::size_t end = next;
    std::size_t rows = 0;
    while (end < writes.size() && (lastBlock || writes[end].row <= blockLast)) {
      const bool newRow = end == next || writes[end].row != writes[end - 1].row;
      if (newRow && (rows == kBlockRows || end - next >= kBlockCells)) break;
      rows += newRow ? 1 : 0;
      ++end;
    }
    try {
      MergeIntoBlock(b, writes, next, end, filter);
    } catch (...) {
      // Every block holds a row: an empty one would break the search for blocks.
      if (newBlock && blocks_.size() == 1 && blocks_.front().rows.empty()) blocks_.clear();
      throw;
    }
    next = end;
    if (betweenBlocks) betweenBlocks();
  }
  MaybeCompact();
}

void TCellStore::MergeIntoBlock(std::size_t b, std::span<const Write> writes, std::size_t first, std::size_t end,
                                const TWriteFilter& filter) {
  const Block& block = blocks_[b];
  Block merged(pool_.get());
  merged.offset = block.offset;
  merged.rows.reserve(block.rows.size() + (end - first));
  merged.cells.reserve(block.cells.size() + (end - first));
  constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
  std::size_t r = 0;
  std::size_t w = first;
  while (r < block.rows.size() || w < end) {
    const std::int64_t oldRow = r < block.rows.size() ? block.rows[r].rel + block.offset : kNone;
    const std::int64_t row = std::min(oldRow, w < end ? std::int64_t{writes[w].row} : kNone);
    const std::span<const Cell> old = oldRow == row ? block.CellsOf(block.rows[r++]) : std::span<const Cell>();
    const auto begin = static_cast<std::uint32_t>(merged.cells.size());
    auto cell = old.begin();
    while (cell != old.end() || (w < end && writes[w].row == row)) {
      const bool written = w < end && writes[w].row == row;
      if (!written || (cell != old.end() && cell->col < writes[w].col)) {
        merged.cells.push_back(*cell++);
        continue;
      }
      const Write& write = writes[w++];
      const bool replaces = cell != old.end() && cell->col == write.col;
      const std::string_view before = replaces ? cell->Text() : std::string_view();
      if (filter && !filter(static_cast<std::size_t>(&write - writes.data()), before)) continue;
      // Stored before the old text is let go, which the new one may view.
      if (!write.text.empty()) merged.cells.push_back(MakeCell(write.col, write.text));
      if (replaces) ReleaseCell(*cell++);
    }
    const auto count = static_cast<std::uint32_t>(merged.cells.size()) - begin;
    if (count == 0) continue;
    merged.rows.push_back(Row{row - merged.offset, begin, count});
    merged.maxCol = std::max(merged.maxCol, merged.cells.back().col);
  }
  if (merged.rows.empty()) {
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
    return;
  }
  if (merged.rows.size() <= kBlockRows && merged.cells.size() <= kBlockCells) {
    blocks_[b] = std::move(merged);
    return;
  }
  // Cut into half-full blocks, which leaves room for the rows written next.
  std::vector<Block> pieces;
  for (std::size_t start = 0; start < merged.rows.size();) {
    std::size_t stop = start + 1;
    std::size_t cells = merged.rows[start].count;
    while (stop < merged.rows.size() && stop - start < kBlockRows / 2 &&
           cells + merged.rows[stop].count <= kBlockCells / 2) {
      cells += merged.rows[stop++].count;
    }
    Block& piece = pieces.emplace_back(pool_.get());
    piece.offset = merged.offset;
    piece.maxCol = merged.maxCol;
    const std::uint32_t cellStart = merged.rows[start].begin;
    piece.rows.assign(merged.rows.begin() + static_cast<std::ptrdiff_t>(start),
                      merged.rows.begin() + static_cast<std::ptrdiff_t>(stop));
    for (Row& row : piece.rows) row.begin -= cellStart;
    piece.cells.assign(merged.cells.begin() + cellStart, merged.cells.begin() + cellStart + cells);
    start = stop;
  }
  // Room made first: an insertion that failed after the first piece replaced the block would lose the rest.
  blocks_.reserve(blocks_.size() + pieces.size() - 1);
  blocks_[b] = std::move(pieces.front());
  blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(b) + 1, std::make_move_iterator(pieces.begin() + 1),
                 std::make_move_iterator(pieces.end()));
}

void TCellStore::Append(int col, int row, std::string_view text, std::size_t rowCapacityHint) {
  CheckTextSize(text);
  if (!text.empty() && !blocks_.empty()) {
    Block& block = blocks_.back();
    Row& last = block.rows.back();
    const std::int64_t lastRow = last.rel + block.offset;
    if (row == lastRow && col > block.cells.back().col) {
      // Filled in place: a cell built aside and copied in stalls on its freshly written bytes.
      FillCell(block.cells.emplace_back(), col, text);
      ++last.count;
      block.maxCol = std::max(block.maxCol, col);
      return;
    }
    if (row > lastRow) {
      if (block.rows.size() >= kBlockRows || block.cells.size() >= kBlockCells) {
        // A file read in order fills whole blocks; size the new one for rows like the last.
        // Past the first few blocks the read is a long one: its blocks come from the pool.
        blocks_.emplace_back(pool_.get());
        std::optional<TCellPagePool::BulkScope> bulk;
        if (blocks_.size() > kBlocksBeforeBulk) bulk.emplace(*pool_);
        blocks_.back().rows.reserve(kBlockRows);
        blocks_.back().cells.reserve(kBlockRows * std::clamp<std::size_t>(rowCapacityHint, 1, 64));
      }
      Block& target = blocks_.back();
      target.rows.push_back(Row{row - target.offset, static_cast<std::uint32_t>(target.cells.size()), 1});
      FillCell(target.cells.emplace_back(), col, text);
      target.maxCol = std::max(target.maxCol, col);
      return;
    }
  }
  Set(col, row, text);
}

std::vector<TCellStore::Cell> TCellStore::TakeRow(std::int64_t row) {
  const RowPosition position = Locate(row);
  if (!position.found) return {};
  Block& block = blocks_[position.block];
  const Row entry = block.rows[position.row];
  const std::span<const Cell> cells = block.CellsOf(entry);
  std::vector<Cell> taken(cells.begin(), cells.end());
  EraseCells(block, position.row, entry.begin, entry.count);
  EraseEmptyRow(position.block, position.row);
  return taken;
}

void TCellStore::PutRow(std::int64_t row, std::span<const Cell> cells) {
  if (cells.empty()) return;
  RowPosition position = Locate(row);
  if (!position.found) {
    position = InsertEmptyRow(row);
    Block& block = blocks_[position.block];
    InsertCells(block, position.row, block.rows[position.row].begin, cells);
  } else {
    for (const Cell& cell : cells) {
      Block& block = blocks_[position.block];
      const Row& entry = block.rows[position.row];
      const auto rowBegin = block.cells.begin() + entry.begin;
      const auto it =
          std::partition_point(rowBegin, rowBegin + entry.count, [&cell](const Cell& c) { return c.col < cell.col; });
      if (it != rowBegin + entry.count && it->col == cell.col) {
        ReleaseCell(*it);
        *it = cell;
      } else {
        InsertCells(block, position.row, static_cast<std::size_t>(it - block.cells.begin()),
                    std::span<const Cell>(&cell, 1));
      }
    }
  }
  SplitIfLarge(position.block);
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
  const std::int64_t moveEnd = static_cast<std::int64_t>(oldEnd) + count;
  // Columns at or past colLimit do not move with their rows, and the rows the move lands on keep only
  // those columns. Blocks whose column bound is below the limit and that hold no landing row are passed
  // over whole, so the cost follows the few rows concerned, not the rows moved.
  std::vector<std::int64_t> concerned;
  for (std::size_t b = FindBlock(first); b < blocks_.size() && blocks_[b].First() < moveEnd; ++b) {
    Block& block = blocks_[b];
    const bool mayHoldKeptColumns = block.maxCol >= colLimit;
    if (!mayHoldKeptColumns && (block.Last() < oldEnd || block.First() >= moveEnd)) continue;
    int maxCol = -1;
    for (const Row& row : block.rows) {
      const int lastCol = block.cells[row.begin + row.count - 1].col;
      maxCol = std::max(maxCol, lastCol);
      const std::int64_t index = row.rel + block.offset;
      if (index >= first && index < moveEnd && (index >= oldEnd || lastCol >= colLimit)) concerned.push_back(index);
    }
    block.maxCol = maxCol;
  }
  struct Kept {
    std::int64_t row;
    std::vector<Cell> cells;
  };
  std::vector<Kept> keptColumns;
  for (const std::int64_t index : concerned) {
    std::vector<Cell> cells = TakeRow(index);
    const auto split =
        std::partition_point(cells.begin(), cells.end(), [colLimit](const Cell& c) { return c.col < colLimit; });
    if (split != cells.end()) keptColumns.push_back(Kept{index, std::vector<Cell>(split, cells.end())});
    if (index >= oldEnd) {
      for (auto it = cells.begin(); it != split; ++it) ReleaseCell(*it);
    } else {
      PutRow(index, std::span<const Cell>(cells.data(), static_cast<std::size_t>(split - cells.begin())));
    }
  }
  ShiftRange(first, oldEnd, count);
  for (const Kept& kept : keptColumns) PutRow(kept.row, kept.cells);
  MaybeCompact();
}

void TCellStore::RotateRowToEnd(int row, int last) {
  if (row >= last) return;
  const std::vector<Cell> taken = TakeRow(row);
  ShiftRange(static_cast<std::int64_t>(row) + 1, static_cast<std::int64_t>(last) + 1, -1);
  PutRow(last, taken);
}

void TCellStore::RotateRowFromEnd(int row, int last) {
  if (row >= last) return;
  const std::vector<Cell> taken = TakeRow(last);
  ShiftRange(row, last, 1);
  PutRow(row, taken);
}

void TCellStore::MaybeCompact() {
  if (!arena_->WantsCompaction()) return;
  auto fresh = std::make_unique<TCellTextArena>(pool_.get());
  for (Block& block : blocks_) {
    for (Cell& cell : block.cells) {
      if (cell.size > Cell::kInline) cell.ptr = fresh->Store(cell.Text());
    }
  }
  arena_ = std::move(fresh);
}

}  // namespace metrazil
