#include "grid/model/GridEdits.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Exception.h"
#include "grid/model/CellBox.h"

namespace metrazil {

namespace {

TCellAddress Focus(const TTableGrid& grid) { return TCellAddress{grid.FocusedCol(), grid.FocusedRow()}; }

// No texts, the counts as they stand.
TGridTextsWritten Counts(const TTableGrid& grid) {
  TGridTextsWritten counts;
  counts.rowsBefore = counts.rowsAfter = grid.RowCount();
  counts.colsBefore = counts.colsAfter = grid.ColCount();
  return counts;
}

// A step that changes nothing, for a row outside the rows.
TGridUndoStep Unchanged(const TTableGrid& grid) { return TGridUndoStep{Counts(grid), Focus(grid), Focus(grid)}; }

}  // namespace

TGridUndoStep AppendRow(TTableGrid& grid) {
  TGridTextsWritten added = Counts(grid);
  ++added.rowsAfter;
  added.Redo(grid);
  const TCellAddress focus{grid.FocusedCol(), added.rowsAfter - 1};
  return TGridUndoStep{std::move(added), focus, focus};
}

TGridUndoStep AppendColumn(TTableGrid& grid) {
  TGridTextsWritten added = Counts(grid);
  ++added.colsAfter;
  added.Redo(grid);
  const TCellAddress focus{added.colsAfter - 1, grid.FocusedRow()};
  return TGridUndoStep{std::move(added), focus, focus};
}

TGridUndoStep InsertRowAt(TTableGrid& grid, int row) {
  if (row < 0 || row >= grid.RowCount()) return Unchanged(grid);
  const TCellAddress focus{grid.FocusedCol(), row};
  TGridRowsInserted inserted{row, 1, {}};
  // The rows that land just past the old end keep only their columns past the count, and those columns do
  // not move with their rows, while the undo moves whole rows: the texts pushed out past the end and the
  // ones past the last column are kept for the undo to put back.
  const int oldEnd = grid.RowCount();
  const int colCount = grid.ColCount();
  const auto keep = [&](int stored, std::span<const TCellStore::Cell> cells) {
    for (const TCellStore::Cell& cell : cells) {
      if (stored >= oldEnd || cell.col >= colCount) {
        inserted.lostTexts.push_back(TGridCellText{cell.col, stored, std::string(cell.Text())});
      }
    }
    return true;
  };
  // Texts past the last column are rare: only the blocks that may hold one are looked at, so an insertion
  // near the top of a long table does not visit every row below it.
  grid.ForEachStoredRowReaching(row, oldEnd, colCount, keep);
  grid.ForEachStoredRow(oldEnd, oldEnd + inserted.count, keep);
  inserted.Redo(grid);
  return TGridUndoStep{std::move(inserted), focus, focus};
}

TGridUndoStep RemoveRowAt(TTableGrid& grid, int row) {
  if (row < 0 || row >= grid.RowCount()) return Unchanged(grid);
  const TCellAddress focus{grid.FocusedCol(), row};
  TGridRowsRemoved removed{row, 1, grid.FixedRows(), {grid.RowHeight(row)}};
  removed.Redo(grid);
  return TGridUndoStep{std::move(removed), focus, focus};
}

TGridUndoStep WriteTexts(TTableGrid& grid, std::vector<TGridCellChange> changes, int rowCount, int colCount) {
  const TCellAddress focus = Focus(grid);
  TGridTextsWritten written = Counts(grid);
  written.rowsAfter = std::max(rowCount, written.rowsBefore);
  written.colsAfter = std::max(colCount, written.colsBefore);
  written.texts = std::move(changes);
  const TTableGrid::TUpdateGuard update(grid);
  // A cell that already holds its new text is not written and not kept.
  std::vector<bool> made(written.texts.size(), false);
  written.Redo(grid, [&written, &made](std::size_t i, std::string_view before) {
    if (before == written.texts[i].after) return false;
    written.texts[i].before.assign(before);
    made[i] = true;
    return true;
  });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < written.texts.size(); ++i) {
    if (i % TGridTextsWritten::kChangesPerBusy == 0) grid.Busy();
    if (!made[i]) continue;
    if (kept != i) written.texts[kept] = std::move(written.texts[i]);
    ++kept;
  }
  written.texts.resize(kept);
  return TGridUndoStep{std::move(written), focus, focus};
}

TGridUndoStep TextWritten(const TTableGrid& grid, int col, int row, std::string before) {
  TGridTextsWritten written = Counts(grid);
  std::string after(grid.CellText(col, row));
  if (after != before) written.texts.push_back(TGridCellChange{col, row, std::move(before), std::move(after)});
  return TGridUndoStep{std::move(written), TCellAddress{col, row}, TCellAddress{col, row}};
}

TGridUndoStep ChangeColWidth(TTableGrid& grid, int col, int width) {
  const TCellAddress focus = Focus(grid);
  TGridColWidthsChanged changed{{TGridWidthChange{col, grid.ColWidth(col), width}}};
  grid.SetColWidth(col, width);
  return TGridUndoStep{std::move(changed), focus, focus};
}

// ---- block commands ------------------------------------------------------------------------------------

namespace {

// The block between two corners, less the fixed rows.
TCellBox BodyBox(const TTableGrid& grid, TCellAddress corner, TCellAddress opposite) {
  TCellBox box = TCellBox::Spanning(corner, opposite);
  box.from.col = std::max(box.from.col, 0);
  box.from.row = std::max(box.from.row, grid.FixedRows());
  return box;
}

TGridUndoStep FillBox(TTableGrid& grid, const TCellBox& box, std::string_view text) {
  std::vector<TGridCellChange> changes;
  changes.reserve(static_cast<std::size_t>(box.to.row - box.from.row + 1) *
                  static_cast<std::size_t>(box.to.col - box.from.col + 1));
  for (int row = box.from.row; row <= box.to.row; ++row) {
    grid.BusyAtRow(row);
    for (int col = box.from.col; col <= box.to.col; ++col)
      changes.push_back(TGridCellChange{col, row, {}, std::string(text)});
  }
  TGridUndoStep step = WriteTexts(grid, std::move(changes), 0, 0);
  step.focus = box.from;
  step.blockEnd = box.to;
  return step;
}

}  // namespace

TGridUndoStep PasteBlock(TTableGrid& grid, const TCellBlock& block, TCellAddress corner, TCellAddress opposite,
                         bool growCols) {
  const TCellBox box = BodyBox(grid, corner, opposite);
  if (block.IsSingleText() && box.from.row <= box.to.row) return FillBox(grid, box, block.Field(0, 0));
  const std::int64_t rowEnd = std::int64_t{box.from.row} + static_cast<std::int64_t>(block.RowCount());
  const std::int64_t wantedColEnd = std::int64_t{box.from.col} + static_cast<std::int64_t>(block.ColCount());
  // Past the grid's limit nothing is written.
  if (rowEnd > TTableGrid::kMaxCount || (growCols && wantedColEnd > TTableGrid::kMaxCount)) {
    throw EInvalidGridOperation::GridTooLarge();
  }
  const int colEnd = static_cast<int>(growCols ? wantedColEnd : std::min<std::int64_t>(wantedColEnd, grid.ColCount()));
  std::vector<TGridCellChange> changes;
  changes.reserve(block.RowCount() * static_cast<std::size_t>(std::max(colEnd - box.from.col, 0)));
  for (std::size_t r = 0; r < block.RowCount(); ++r) {
    const int row = box.from.row + static_cast<int>(r);
    grid.BusyAtRow(row);
    for (int col = box.from.col; col < colEnd; ++col) {
      changes.push_back(
          TGridCellChange{col, row, {}, std::string(block.Field(static_cast<std::size_t>(col - box.from.col), r))});
    }
  }
  TGridUndoStep step = WriteTexts(grid, std::move(changes), static_cast<int>(rowEnd), growCols ? colEnd : 0);
  step.focus = box.from;
  step.blockEnd =
      TCellAddress{std::max(colEnd - 1, box.from.col), std::max(static_cast<int>(rowEnd) - 1, box.from.row)};
  return step;
}

TGridUndoStep ClearBlock(TTableGrid& grid, TCellAddress corner, TCellAddress opposite) {
  // Only stored texts can be cleared, so a whole table selected costs its texts, not its cells.
  const TCellBox box = BodyBox(grid, corner, opposite);
  // Counted first: a million rows' changes grown one reallocation after another cost more than the clear.
  // Walked a few thousand rows at a time, the grid told it is busy between two walks, never inside one.
  std::size_t count = 0;
  const auto forEachCleared = [&](const auto& visit) {
    constexpr std::int64_t kRowsPerWalk = 4096;
    for (std::int64_t top = box.from.row; top <= box.to.row; top += kRowsPerWalk) {
      grid.Busy();
      const auto end = static_cast<int>(std::min<std::int64_t>(top + kRowsPerWalk, std::int64_t{box.to.row} + 1));
      grid.ForEachStoredRow(static_cast<int>(top), end, [&](int row, std::span<const TCellStore::Cell> cells) {
        for (const TCellStore::Cell& cell : cells) {
          if (cell.col > box.to.col) break;
          if (cell.col >= box.from.col) visit(cell.col, row);
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
  step.focus = box.from;
  step.blockEnd = box.to;
  return step;
}

}  // namespace metrazil
