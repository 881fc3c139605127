#include "grid/model/GridUndoStack.h"

#include <algorithm>
#include <span>
#include <string>
#include <utility>
#include <vector>

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

// Loops over a block command's changes tell the grid they are busy every so many.
constexpr std::size_t kChangesPerBusy = 65536;

// The changes' texts written in their order (see TTableGrid::WriteCells, which decides how).
void WriteBatch(TTableGrid& grid, const std::vector<TGridCellChange>& changes, std::string TGridCellChange::*text,
                const TCellStore::TWriteFilter& filter = {}) {
  std::vector<TCellStore::Write> writes;
  writes.reserve(changes.size());
  for (const TGridCellChange& change : changes) {
    if (writes.size() % kChangesPerBusy == 0) grid.Busy();
    writes.push_back(TCellStore::Write{change.col, change.row, change.*text});
  }
  grid.WriteCells(writes, filter);
}

// Counts shrink back only after the texts are back, so that texts past the end are as they were.
void UndoTexts(TTableGrid& grid, const TGridUndoStep& step) {
  const TTableGrid::TUpdateGuard update(grid);
  // The texts go back last written first, which matters only for a cell written twice.
  if (RowMajorUnique(step.texts)) {
    WriteBatch(grid, step.texts, &TGridCellChange::before);
  } else {
    for (auto it = step.texts.rbegin(); it != step.texts.rend(); ++it) grid.WriteCell(it->col, it->row, it->before);
  }
  if (grid.ColCount() != step.colsBefore) grid.SetColCount(step.colsBefore);
  if (grid.RowCount() != step.rowsBefore) grid.SetRowCount(step.rowsBefore);
}

void RedoTexts(TTableGrid& grid, const TGridUndoStep& step) {
  const TTableGrid::TUpdateGuard update(grid);
  GrowCounts(grid, step.rowsAfter, step.colsAfter);
  WriteBatch(grid, step.texts, &TGridCellChange::after);
}

void InsertRowsOf(TTableGrid& grid, const TGridUndoStep& step) {
  const TTableGrid::TUpdateGuard update(grid);
  grid.InsertRowsAt(step.row, step.count);
  for (int row = step.row; row < step.row + step.count; ++row) grid.SetRowHeight(row, kDesignRowHeight);
}

void UndoInsertRows(TTableGrid& grid, const TGridUndoStep& step) {
  const TTableGrid::TUpdateGuard update(grid);
  const int colCount = grid.ColCount();
  const int end = grid.RowCount();
  grid.RemoveRowsAt(step.row, step.count);
  // The removal moved the texts past the last column with their rows; they go back where they stood.
  std::vector<std::pair<int, int>> moved;
  grid.ForEachStoredRow(step.row, end, [&](int row, std::span<const TCellStore::Cell> cells) {
    for (const TCellStore::Cell& cell : cells) {
      if (cell.col >= colCount) moved.emplace_back(cell.col, row);
    }
    return true;
  });
  for (const auto& [col, row] : moved) grid.WriteCell(col, row, {});
  for (const TGridCellChange& lost : step.lostTexts) grid.WriteCell(lost.col, lost.row, lost.before);
}

void UndoRemoveRows(TTableGrid& grid, const TGridUndoStep& step) {
  const TTableGrid::TUpdateGuard update(grid);
  grid.RestoreRemovedRows(step.row, step.count);
  if (grid.FixedRows() != step.fixedRowsBefore) grid.SetFixedRows(step.fixedRowsBefore);
  for (int i = 0; i < static_cast<int>(step.heights.size()); ++i) {
    if (grid.RowHeight(step.row + i) != step.heights[i]) grid.SetRowHeight(step.row + i, step.heights[i]);
  }
}

void SetWidths(TTableGrid& grid, const TGridUndoStep& step, bool undo) {
  const TTableGrid::TUpdateGuard update(grid);
  for (const TGridWidthChange& change : step.widths) {
    if (change.col < grid.ColCount()) grid.SetColWidth(change.col, undo ? change.before : change.after);
  }
}

void Apply(TTableGrid& grid, const TGridUndoStep& step, bool undo) {
  switch (step.kind) {
    case TGridUndoStep::TKind::kTexts:
      undo ? UndoTexts(grid, step) : RedoTexts(grid, step);
      break;
    case TGridUndoStep::TKind::kInsertRows:
      undo ? UndoInsertRows(grid, step) : InsertRowsOf(grid, step);
      break;
    case TGridUndoStep::TKind::kRemoveRows:
      undo ? UndoRemoveRows(grid, step) : grid.RemoveRowsAt(step.row, step.count);
      break;
    case TGridUndoStep::TKind::kColWidths:
      SetWidths(grid, step, undo);
      break;
  }
}

std::size_t ChangeBytes(const std::vector<TGridCellChange>& changes) {
  std::size_t bytes = 0;
  for (const TGridCellChange& change : changes) bytes += change.before.size() + change.after.size();
  return bytes;
}

}  // namespace

std::size_t TGridUndoStep::TextBytes() const { return ChangeBytes(texts) + ChangeBytes(lostTexts); }

bool TGridUndoStep::ChangesNothing() const {
  switch (kind) {
    case TKind::kTexts:
      return texts.empty() && rowsBefore == rowsAfter && colsBefore == colsAfter;
    case TKind::kInsertRows:
    case TKind::kRemoveRows:
      return count < 1;
    case TKind::kColWidths:
      return std::all_of(widths.begin(), widths.end(), [](const TGridWidthChange& w) { return w.before == w.after; });
  }
  return true;
}

void TGridUndoStack::Push(TGridUndoStep step) {
  if (step.ChangesNothing()) return;
  for (const TGridUndoStep& dropped : undone_) textBytes_ -= dropped.TextBytes();
  undone_.clear();
  const std::size_t bytes = step.TextBytes();
  if (bytes > kMaxTextBytes) {
    // Too large to keep: the steps before it cannot be undone across it either.
    Clear();
    return;
  }
  textBytes_ += bytes;
  done_.push_back(std::move(step));
  Trim();
}

void TGridUndoStack::Trim() {
  while (!done_.empty() && (done_.size() > kMaxSteps || textBytes_ > kMaxTextBytes)) {
    textBytes_ -= done_.front().TextBytes();
    done_.pop_front();
  }
}

void TGridUndoStack::Clear() {
  done_.clear();
  undone_.clear();
  textBytes_ = 0;
}

const TGridUndoStep* TGridUndoStack::Undo(TTableGrid& grid) { return Move(grid, done_, undone_, true); }

const TGridUndoStep* TGridUndoStack::Redo(TTableGrid& grid) { return Move(grid, undone_, done_, false); }

const TGridUndoStep* TGridUndoStack::Move(TTableGrid& grid, std::deque<TGridUndoStep>& from,
                                          std::deque<TGridUndoStep>& to, bool undo) {
  if (from.empty()) return nullptr;
  Apply(grid, from.back(), undo);
  to.push_back(std::move(from.back()));
  from.pop_back();
  return &to.back();
}

// ---- recorded changes ----------------------------------------------------------------------------------

namespace {

TGridUndoStep CountsStep(const TTableGrid& grid) {
  TGridUndoStep step;
  step.rowsBefore = step.rowsAfter = grid.RowCount();
  step.colsBefore = step.colsAfter = grid.ColCount();
  step.focus = step.blockEnd = TCellAddress{grid.FocusedCol(), grid.FocusedRow()};
  return step;
}

// One row at `row`; outside the rows a step that changes nothing.
TGridUndoStep RowStep(const TTableGrid& grid, TGridUndoStep::TKind kind, int row) {
  TGridUndoStep step = CountsStep(grid);
  if (row < 0 || row >= grid.RowCount()) return step;
  step.kind = kind;
  step.row = row;
  step.count = 1;
  step.focus = step.blockEnd = TCellAddress{grid.FocusedCol(), row};
  return step;
}

}  // namespace

TGridUndoStep AppendRow(TTableGrid& grid) {
  TGridUndoStep step = CountsStep(grid);
  step.rowsAfter = step.rowsBefore + 1;
  GrowCounts(grid, step.rowsAfter, step.colsAfter);
  step.focus = step.blockEnd = TCellAddress{grid.FocusedCol(), step.rowsAfter - 1};
  return step;
}

TGridUndoStep AppendColumn(TTableGrid& grid) {
  TGridUndoStep step = CountsStep(grid);
  step.colsAfter = step.colsBefore + 1;
  GrowCounts(grid, step.rowsAfter, step.colsAfter);
  step.focus = step.blockEnd = TCellAddress{step.colsAfter - 1, grid.FocusedRow()};
  return step;
}

TGridUndoStep InsertRowAt(TTableGrid& grid, int row) {
  TGridUndoStep step = RowStep(grid, TGridUndoStep::TKind::kInsertRows, row);
  if (step.ChangesNothing()) return step;
  // The rows that land just past the old end keep only their columns past the count, and those columns do
  // not move with their rows, while the undo moves whole rows: the texts pushed out past the end and the
  // ones past the last column are kept for the undo to put back.
  const int oldEnd = grid.RowCount();
  const int colCount = grid.ColCount();
  const auto keep = [&](int stored, std::span<const TCellStore::Cell> cells) {
    for (const TCellStore::Cell& cell : cells) {
      if (stored >= oldEnd || cell.col >= colCount) {
        step.lostTexts.push_back(TGridCellChange{cell.col, stored, std::string(cell.Text()), {}});
      }
    }
    return true;
  };
  // Texts past the last column are rare: only the blocks that may hold one are looked at, so an insertion
  // near the top of a long table does not visit every row below it.
  grid.ForEachStoredRowReaching(row, oldEnd, colCount, keep);
  grid.ForEachStoredRow(oldEnd, oldEnd + step.count, keep);
  InsertRowsOf(grid, step);
  return step;
}

TGridUndoStep RemoveRowAt(TTableGrid& grid, int row) {
  TGridUndoStep step = RowStep(grid, TGridUndoStep::TKind::kRemoveRows, row);
  if (step.ChangesNothing()) return step;
  step.fixedRowsBefore = grid.FixedRows();
  step.heights.push_back(grid.RowHeight(row));
  grid.RemoveRowsAt(row, step.count);
  return step;
}

TGridUndoStep WriteTexts(TTableGrid& grid, std::vector<TGridCellChange> changes, int rowCount, int colCount) {
  TGridUndoStep step = CountsStep(grid);
  step.rowsAfter = std::max(rowCount, step.rowsBefore);
  step.colsAfter = std::max(colCount, step.colsBefore);
  const TTableGrid::TUpdateGuard update(grid);
  GrowCounts(grid, step.rowsAfter, step.colsAfter);
  step.texts = std::move(changes);
  // A cell that already holds its new text is not written and not kept.
  std::vector<bool> made(step.texts.size(), false);
  WriteBatch(grid, step.texts, &TGridCellChange::after, [&step, &made](std::size_t i, std::string_view before) {
    if (before == step.texts[i].after) return false;
    step.texts[i].before.assign(before);
    made[i] = true;
    return true;
  });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < step.texts.size(); ++i) {
    if (i % kChangesPerBusy == 0) grid.Busy();
    if (!made[i]) continue;
    if (kept != i) step.texts[kept] = std::move(step.texts[i]);
    ++kept;
  }
  step.texts.resize(kept);
  return step;
}

TGridUndoStep TextWritten(const TTableGrid& grid, int col, int row, std::string before) {
  TGridUndoStep step = CountsStep(grid);
  std::string after(grid.CellText(col, row));
  if (after != before) step.texts.push_back(TGridCellChange{col, row, std::move(before), std::move(after)});
  step.focus = step.blockEnd = TCellAddress{col, row};
  return step;
}

TGridUndoStep ChangeColWidth(TTableGrid& grid, int col, int width) {
  TGridUndoStep step = CountsStep(grid);
  step.kind = TGridUndoStep::TKind::kColWidths;
  step.widths.push_back(TGridWidthChange{col, grid.ColWidth(col), width});
  grid.SetColWidth(col, width);
  return step;
}

}  // namespace metrazil
