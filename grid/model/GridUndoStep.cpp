#include "grid/model/GridUndoStep.h"

#include <algorithm>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "grid/model/TableDesign.h"

namespace metrazil {

namespace {

// New rows and columns get the design's sizes, as the buttons that add them always gave them.
void GrowCounts(TTableGrid& grid, int rowCount, int colCount) {
  const TTableGrid::TUpdateGuard update(grid);
  const int oldRows = grid.RowCount();
  if (rowCount > oldRows) {
    grid.SetRowCount(rowCount);
    for (int row = oldRows; row < rowCount; ++row) grid.SetRowHeight(row, kDesignRowHeight);
  }
  const int oldCols = grid.ColCount();
  if (colCount > oldCols) {
    grid.SetColCount(colCount);
    for (int col = oldCols; col < colCount; ++col) grid.SetColWidth(col, kDesignColWidth);
  }
}

// Whether each cell comes once, row by row, as block commands write them: then the order between them does
// not matter.
bool RowMajorUnique(const std::vector<TGridCellChange>& changes) {
  for (std::size_t i = 1; i < changes.size(); ++i) {
    const TGridCellChange& a = changes[i - 1];
    const TGridCellChange& b = changes[i];
    if (b.row < a.row || (b.row == a.row && b.col <= a.col)) return false;
  }
  return true;
}

// The changes' texts written in their order (see TTableGrid::WriteCells, which decides how).
void WriteBatch(TTableGrid& grid, const std::vector<TGridCellChange>& changes, std::string TGridCellChange::*text,
                const TCellStore::TWriteFilter& filter = {}) {
  std::vector<TCellStore::Write> writes;
  writes.reserve(changes.size());
  for (const TGridCellChange& change : changes) {
    if (writes.size() % TGridTextsWritten::kChangesPerBusy == 0) grid.Busy();
    writes.push_back(TCellStore::Write{change.col, change.row, change.*text});
  }
  grid.WriteCells(writes, filter);
}

}  // namespace

// ---- texts ---------------------------------------------------------------------------------------------

void TGridTextsWritten::Redo(TTableGrid& grid, const TCellStore::TWriteFilter& filter) const {
  const TTableGrid::TUpdateGuard update(grid);
  GrowCounts(grid, rowsAfter, colsAfter);
  WriteBatch(grid, texts, &TGridCellChange::after, filter);
}

// Counts shrink back only after the texts are back, so that texts past the end are as they were.
void TGridTextsWritten::Undo(TTableGrid& grid) const {
  const TTableGrid::TUpdateGuard update(grid);
  // The texts go back last written first, which matters only for a cell written twice.
  if (RowMajorUnique(texts)) {
    WriteBatch(grid, texts, &TGridCellChange::before);
  } else {
    for (auto it = texts.rbegin(); it != texts.rend(); ++it) grid.WriteCell(it->col, it->row, it->before);
  }
  if (grid.ColCount() != colsBefore) grid.SetColCount(colsBefore);
  if (grid.RowCount() != rowsBefore) grid.SetRowCount(rowsBefore);
}

std::size_t TGridTextsWritten::TextBytes() const {
  std::size_t bytes = 0;
  for (const TGridCellChange& change : texts) bytes += change.before.size() + change.after.size();
  return bytes;
}

bool TGridTextsWritten::ChangesNothing() const {
  return texts.empty() && rowsBefore == rowsAfter && colsBefore == colsAfter;
}

// ---- rows ----------------------------------------------------------------------------------------------

void TGridRowsInserted::Redo(TTableGrid& grid) const {
  const TTableGrid::TUpdateGuard update(grid);
  grid.InsertRowsAt(row, count);
  for (int inserted = row; inserted < row + count; ++inserted) grid.SetRowHeight(inserted, kDesignRowHeight);
}

void TGridRowsInserted::Undo(TTableGrid& grid) const {
  const TTableGrid::TUpdateGuard update(grid);
  const int colCount = grid.ColCount();
  const int end = grid.RowCount();
  grid.RemoveRowsAt(row, count);
  // The removal moved the texts past the last column with their rows; they go back where they stood.
  std::vector<std::pair<int, int>> moved;
  grid.ForEachStoredRow(row, end, [&](int stored, std::span<const TCellStore::Cell> cells) {
    for (const TCellStore::Cell& cell : cells) {
      if (cell.col >= colCount) moved.emplace_back(cell.col, stored);
    }
    return true;
  });
  for (const auto& [col, at] : moved) grid.WriteCell(col, at, {});
  for (const TGridCellText& lost : lostTexts) grid.WriteCell(lost.col, lost.row, lost.text);
}

std::size_t TGridRowsInserted::TextBytes() const {
  std::size_t bytes = 0;
  for (const TGridCellText& lost : lostTexts) bytes += lost.text.size();
  return bytes;
}

void TGridRowsRemoved::Redo(TTableGrid& grid) const { grid.RemoveRowsAt(row, count); }

void TGridRowsRemoved::Undo(TTableGrid& grid) const {
  const TTableGrid::TUpdateGuard update(grid);
  grid.RestoreRemovedRows(row, count);
  if (grid.FixedRows() != fixedRowsBefore) grid.SetFixedRows(fixedRowsBefore);
  for (int i = 0; i < static_cast<int>(heights.size()); ++i) {
    if (grid.RowHeight(row + i) != heights[i]) grid.SetRowHeight(row + i, heights[i]);
  }
}

// ---- column widths -------------------------------------------------------------------------------------

namespace {

void SetWidths(TTableGrid& grid, const std::vector<TGridWidthChange>& widths, int TGridWidthChange::*width) {
  const TTableGrid::TUpdateGuard update(grid);
  for (const TGridWidthChange& change : widths) {
    if (change.col < grid.ColCount()) grid.SetColWidth(change.col, change.*width);
  }
}

}  // namespace

void TGridColWidthsChanged::Redo(TTableGrid& grid) const { SetWidths(grid, widths, &TGridWidthChange::after); }

void TGridColWidthsChanged::Undo(TTableGrid& grid) const { SetWidths(grid, widths, &TGridWidthChange::before); }

bool TGridColWidthsChanged::ChangesNothing() const {
  return std::all_of(widths.begin(), widths.end(), [](const TGridWidthChange& w) { return w.before == w.after; });
}

// ---- any step ------------------------------------------------------------------------------------------

void TGridUndoStep::Redo(TTableGrid& grid) const {
  std::visit([&grid](const auto& kind) { kind.Redo(grid); }, change);
}

void TGridUndoStep::Undo(TTableGrid& grid) const {
  std::visit([&grid](const auto& kind) { kind.Undo(grid); }, change);
}

std::size_t TGridUndoStep::TextBytes() const {
  return std::visit([](const auto& kind) { return kind.TextBytes(); }, change);
}

bool TGridUndoStep::ChangesNothing() const {
  return std::visit([](const auto& kind) { return kind.ChangesNothing(); }, change);
}

}  // namespace metrazil
