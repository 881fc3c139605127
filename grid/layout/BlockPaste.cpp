#include "grid/layout/BlockPaste.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/Exception.h"

namespace metrazil {

namespace {

struct TRect {
  int left;
  int top;
  int right;
  int bottom;
};

TRect BodyRect(const TTableGrid& grid, TCellAddress corner, TCellAddress opposite) {
  return TRect{std::max(std::min(corner.col, opposite.col), 0),
               std::max(std::min(corner.row, opposite.row), grid.FixedRows()), std::max(corner.col, opposite.col),
               std::max(corner.row, opposite.row)};
}

TGridUndoStep FillRect(TTableGrid& grid, const TRect& rect, std::string_view text) {
  std::vector<TGridCellChange> changes;
  changes.reserve(static_cast<std::size_t>(rect.bottom - rect.top + 1) *
                  static_cast<std::size_t>(rect.right - rect.left + 1));
  for (int row = rect.top; row <= rect.bottom; ++row) {
    grid.BusyAtRow(row);
    for (int col = rect.left; col <= rect.right; ++col)
      changes.push_back(TGridCellChange{col, row, {}, std::string(text)});
  }
  TGridUndoStep step = WriteTexts(grid, std::move(changes), 0, 0);
  step.focus = TCellAddress{rect.left, rect.top};
  step.blockEnd = TCellAddress{rect.right, rect.bottom};
  return step;
}

}  // namespace

TGridUndoStep PasteBlock(TTableGrid& grid, const TBlockText& block, TCellAddress corner, TCellAddress opposite,
                         bool growCols) {
  const TRect rect = BodyRect(grid, corner, opposite);
  if (block.IsSingleText() && rect.top <= rect.bottom) return FillRect(grid, rect, block.Field(0, 0));
  const std::int64_t rowEnd = std::int64_t{rect.top} + static_cast<std::int64_t>(block.RowCount());
  const std::int64_t wantedColEnd = std::int64_t{rect.left} + static_cast<std::int64_t>(block.ColCount());
  // Past the grid's limit nothing is written.
  if (rowEnd > TTableGrid::kMaxCount || (growCols && wantedColEnd > TTableGrid::kMaxCount)) {
    throw EInvalidGridOperation::GridTooLarge();
  }
  const int colEnd = static_cast<int>(growCols ? wantedColEnd : std::min<std::int64_t>(wantedColEnd, grid.ColCount()));
  std::vector<TGridCellChange> changes;
  changes.reserve(block.RowCount() * static_cast<std::size_t>(std::max(colEnd - rect.left, 0)));
  for (std::size_t r = 0; r < block.RowCount(); ++r) {
    const int row = rect.top + static_cast<int>(r);
    grid.BusyAtRow(row);
    for (int col = rect.left; col < colEnd; ++col) {
      changes.push_back(
          TGridCellChange{col, row, {}, std::string(block.Field(static_cast<std::size_t>(col - rect.left), r))});
    }
  }
  TGridUndoStep step = WriteTexts(grid, std::move(changes), static_cast<int>(rowEnd), growCols ? colEnd : 0);
  step.focus = TCellAddress{rect.left, rect.top};
  step.blockEnd = TCellAddress{std::max(colEnd - 1, rect.left), std::max(static_cast<int>(rowEnd) - 1, rect.top)};
  return step;
}

TGridUndoStep ClearBlock(TTableGrid& grid, TCellAddress corner, TCellAddress opposite) {
  // Only stored texts can be cleared, so a whole table selected costs its texts, not its cells.
  const TRect rect = BodyRect(grid, corner, opposite);
  // Counted first: a million rows' changes grown one reallocation after another cost more than the clear.
  // Walked a few thousand rows at a time, the grid told it is busy between two walks, never inside one.
  std::size_t count = 0;
  const auto forEachCleared = [&](const auto& visit) {
    constexpr std::int64_t kRowsPerWalk = 4096;
    for (std::int64_t top = rect.top; top <= rect.bottom; top += kRowsPerWalk) {
      grid.Busy();
      const auto end = static_cast<int>(std::min<std::int64_t>(top + kRowsPerWalk, std::int64_t{rect.bottom} + 1));
      grid.ForEachStoredRow(static_cast<int>(top), end, [&](int row, std::span<const TCellStore::Cell> cells) {
        for (const TCellStore::Cell& cell : cells) {
          if (cell.col > rect.right) break;
          if (cell.col >= rect.left) visit(cell.col, row);
        }
        return true;
      });
    }
  };
  forEachCleared([&count](int, int) { ++count; });
  std::vector<TGridCellChange> changes;
  changes.reserve(count);
  forEachCleared([&changes](int col, int row) { changes.push_back(TGridCellChange{col, row, {}, {}}); });
  TGridUndoStep step = WriteTexts(grid, std::move(changes), 0, 0);
  step.focus = TCellAddress{rect.left, rect.top};
  step.blockEnd = TCellAddress{rect.right, rect.bottom};
  return step;
}

}  // namespace metrazil
