#include "grid/model/TableGrid.h"

#include <algorithm>
#include <utility>

#include "base/CodePage.h"

namespace metrazil {

namespace {

const char* const kGridIndexOutOfRange = "网格索引越界";

}  // namespace

TTableGrid::TTableGrid() = default;

void TTableGrid::LayoutChanged() {
  if (updateCount_ > 0) {
    layoutPending_ = true;
  } else if (OnLayoutChanged) {
    OnLayoutChanged();
  }
}

void TTableGrid::CellsChanged(const TCellBox& box) {
  if (box.IsEmpty()) return;
  if (updateCount_ > 0) {
    cellsPending_ = cellsPending_.United(box);
  } else if (OnCellsChanged) {
    OnCellsChanged(box);
  }
}

void TTableGrid::BeginUpdate() { ++updateCount_; }

void TTableGrid::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) FlushPendingNotices();
}

void TTableGrid::FlushPendingNotices() {
  // The layout first: a view places the changed cells where the new counts and sizes put them.
  if (layoutPending_) {
    layoutPending_ = false;
    if (OnLayoutChanged) OnLayoutChanged();
  }
  if (!cellsPending_.IsEmpty()) {
    const TCellBox box = std::exchange(cellsPending_, TCellBox{});
    if (OnCellsChanged) OnCellsChanged(box);
  }
}

TTableGrid::TBusyScope::TBusyScope(TTableGrid& grid, std::function<void()> onBusy)
    : grid_(grid), outer_(std::exchange(grid.onBusy_, std::move(onBusy))) {
  ++grid_.busyDepth_;
}

TTableGrid::TBusyScope::~TBusyScope() {
  --grid_.busyDepth_;
  grid_.onBusy_ = std::move(outer_);
}

void TTableGrid::ResetFocusToOrigin() {
  for (TGridAxis* axis : {&cols_, &rows_}) axis->focus = axis->anchor = axis->first = axis->fixed;
}

void TTableGrid::CollapseSelection() {
  cols_.anchor = cols_.focus;
  rows_.anchor = rows_.focus;
}

void TTableGrid::SetCount(TGridAxis& axis, int v) {
  if (v > kMaxCount) throw EInvalidGridOperation::GridTooLarge();
  if (v == axis.count) return;
  v = std::max(v, 1);
  if (v <= axis.fixed) {
    axis.fixed = v - 1;
    ResetFocusToOrigin();
  }
  axis.count = v;
  ++contentRevision_;
  axis.CutSizes(v);
  axis.focus = std::min(axis.focus, v - 1);
  axis.first = std::min(axis.first, v - 1);
  CollapseSelection();
  LayoutChanged();
}

void TTableGrid::SetFixed(TGridAxis& axis, int v, const char* tooManyMessage) {
  if (v < 0) throw EInvalidGridOperation(kGridIndexOutOfRange);
  if (v >= axis.count) throw EInvalidGridOperation(tooManyMessage);
  axis.fixed = v;
  ResetFocusToOrigin();
  LayoutChanged();
}

void TTableGrid::CheckGridIndex(std::int64_t index, int count) {
  if (index < 0 || index >= count) throw EInvalidGridOperation(kGridIndexOutOfRange);
}

void TTableGrid::SetFocusedCell(int col, int row) { SetFocusedCell(col, row, false); }

void TTableGrid::SetFocusedCell(int col, int row, bool keepAnchor) {
  SetSelection(keepAnchor ? TCellAddress{cols_.anchor, rows_.anchor} : TCellAddress{col, row}, {col, row});
}

void TTableGrid::SetSelection(TCellAddress anchor, TCellAddress focus) {
  CheckGridIndex(anchor.col, cols_.count);
  CheckGridIndex(anchor.row, rows_.count);
  CheckGridIndex(focus.col, cols_.count);
  CheckGridIndex(focus.row, rows_.count);
  cols_.anchor = anchor.col;
  rows_.anchor = anchor.row;
  cols_.focus = focus.col;
  rows_.focus = focus.row;
  LayoutChanged();
}

TCellAddress TTableGrid::ClampToBody(TCellAddress cell) const {
  return {std::clamp(cell.col, cols_.fixed, cols_.count - 1), std::clamp(cell.row, rows_.fixed, rows_.count - 1)};
}

void TTableGrid::SetTopLeft(int col, int row) {
  const TCellAddress first = ClampToBody({col, row});
  cols_.first = first.col;
  rows_.first = first.row;
  LayoutChanged();
}

void TTableGrid::ZoomSizes(int step) {
  if (step == 0) return;
  for (TGridAxis* axis : {&cols_, &rows_}) {
    axis->Zoom(step);
    if (axis->sizesSaved) ++contentRevision_;
  }
  LayoutChanged();
}

void TTableGrid::SetDefaultRowHeight(int height) {
  rows_.SetDefaultSize(std::max(height, 0));
  LayoutChanged();
}

void TTableGrid::SetSize(TGridAxis& axis, int index, int size) {
  if (index < 0 || index >= axis.count) throw EListError::IndexOutOfBounds(index);
  axis.SetSize(index, size);
  if (axis.sizesSaved) ++contentRevision_;
  LayoutChanged();
}

std::string_view TTableGrid::CellText(int col, int row) const {
  if (row < 0) throw EListError::IndexOutOfBounds(row);
  if (col < 0) {
    if (rowMaps_.Contains(row)) throw EListError::IndexOutOfBounds(col);
    return {};
  }
  // A row without a map holds no text, so the store answers for it too.
  return store_.Get(col, row);
}

std::string TTableGrid::ReadCell(int col, int row) const { return std::string(CellText(col, row)); }

void TTableGrid::CheckCellIndex(int col, int row) const {
  if (row < 0) throw EListError::IndexOutOfBounds(row);
  if (col < 0) throw EListError::IndexOutOfBounds(col);
}

void TTableGrid::WriteCell(int col, int row, std::string_view text) {
  CheckCellIndex(col, row);
  // The map first: a row may have a map without texts, never texts without a map.
  rowMaps_.Add(row);
  store_.Set(col, row, text);
  ++contentRevision_;
  CellsChanged({{col, row}, {col, row}});
}

void TTableGrid::WriteCells(std::span<const TCellStore::Write> writes, const TCellStore::TWriteFilter& filter) {
  for (const TCellStore::Write& write : writes) CheckCellIndex(write.col, write.row);
  const auto inOrder = [](const TCellStore::Write& a, const TCellStore::Write& b) {
    return a.row < b.row || (a.row == b.row && a.col < b.col);
  };
  // A few writes, each cell with its own notice, or writes out of order or to a cell twice: one by one.
  constexpr std::size_t kBatchFrom = 64;
  if (writes.size() < kBatchFrom || std::adjacent_find(writes.begin(), writes.end(), [&](const auto& a, const auto& b) {
                                      return !inOrder(a, b);
                                    }) != writes.end()) {
    for (std::size_t i = 0; i < writes.size(); ++i) {
      if (!filter || filter(i, CellText(writes[i].col, writes[i].row))) {
        WriteCell(writes[i].col, writes[i].row, writes[i].text);
      }
    }
    return;
  }
  // The maps first, in runs of rows: a row may have a map without texts, never texts without a map.
  for (std::size_t i = 0; i < writes.size();) {
    std::size_t j = i + 1;
    while (j < writes.size() && writes[j].row <= writes[j - 1].row + 1) ++j;
    rowMaps_.Add(writes[i].row, writes[j - 1].row);
    i = j;
  }
  TCellBox written;
  store_.SetSorted(
      writes,
      [&](std::size_t index, std::string_view before) {
        if (filter && !filter(index, before)) return false;
        const TCellStore::Write& write = writes[index];
        written = written.United({{write.col, write.row}, {write.col, write.row}});
        return true;
      },
      [this] { Busy(); });
  if (written.IsEmpty()) return;
  ++contentRevision_;
  CellsChanged(written);
}

void TTableGrid::InsertRowsAt(int row, int count) {
  if (row < 0 || row >= rows_.count || count < 1) return;
  if (static_cast<long long>(rows_.count) + count > kMaxCount) throw EInvalidGridOperation::GridTooLarge();
  const int oldCount = rows_.count;
  const TUpdateGuard update(*this);
  SetRowCount(oldCount + count);
  // Every row from the insertion point to the new end has each of its columns written.
  rowMaps_.Add(row, rows_.count - 1);
  store_.InsertRows(row, oldCount, count, cols_.count);
  // Heights move with their rows; the new rows get the default.
  rows_.InsertSlots(row, count);
  LayoutChanged();
  // The rows below moved down with their texts.
  CellsChanged({{0, row}, {cols_.count - 1, rows_.count - 1}});
}

void TTableGrid::RemoveRowsAt(int row, int count) {
  if (row < 0 || row >= rows_.count || count < 1) return;
  count = std::min(count, rows_.count - row);
  const TUpdateGuard update(*this);
  const int focusedRow = rows_.focus;
  const int topRow = rows_.first;
  for (int i = 0; i < count; ++i) {
    store_.RotateRowToEnd(row, rows_.count - 1);
    rowMaps_.RotateToEnd(row, rows_.count - 1);
    // The heights of the rows below follow them up; the removed row's height goes with it.
    rows_.RemoveSlot(row);
    SetRowCount(rows_.count - 1);
  }
  if (focusedRow < rows_.count) {
    rows_.focus = focusedRow;
    rows_.first = std::clamp(topRow, rows_.fixed, rows_.count - 1);
  } else {
    rows_.focus = rows_.count - 1;
  }
  CollapseSelection();
  LayoutChanged();
  // The rows below moved up with their texts.
  CellsChanged({{0, row}, {cols_.count - 1, rows_.count - 1}});
}

void TTableGrid::RestoreRemovedRows(int row, int count) {
  if (row < 0 || row > rows_.count || count < 1) return;
  if (static_cast<long long>(rows_.count) + count > kMaxCount) throw EInvalidGridOperation::GridTooLarge();
  const TUpdateGuard update(*this);
  // The last row removed waits first past the end, so it comes back first.
  for (int i = 0; i < count; ++i) {
    SetRowCount(rows_.count + 1);
    const int last = rows_.count - 1;
    store_.RotateRowFromEnd(row, last);
    rowMaps_.RotateFromEnd(row, last);
    rows_.InsertSlots(row, 1);
  }
  CollapseSelection();
  LayoutChanged();
  CellsChanged({{0, row}, {cols_.count - 1, rows_.count - 1}});
}

void TTableGrid::ScrollUpAfterRemoval(int fullyVisibleRows) {
  const int candidate = rows_.count - fullyVisibleRows - 1;
  if (candidate > 0 && candidate <= rows_.first) {
    rows_.first = std::max(candidate, rows_.fixed);
    LayoutChanged();
  }
}

TCellAddress TTableGrid::LocateText(std::string_view text) const {
  if (text == "\"\"") return LocateEmptyCell();
  if (text.empty()) return {};
  const std::string needle = AnsiUpperCase(text);
  TCellAddress best;
  // Only stored cells can match, so the search walks the store and keeps the first hit in column order.
  store_.ForEachRow(rows_.fixed, rows_.count, [&](int row, std::span<const TCellStore::Cell> cells) {
    for (const TCellStore::Cell& cell : cells) {
      if (cell.col < cols_.fixed) continue;
      if (cell.col >= cols_.count || (best.col >= 0 && cell.col >= best.col)) break;
      if (AnsiUpperCaseEquals(cell.Text(), needle)) {
        best = TCellAddress{cell.col, row};
        break;
      }
    }
    return best.row < 0 || best.col > cols_.fixed;
  });
  return best;
}

TCellAddress TTableGrid::LocateEmptyCell() const {
  const int firstCol = cols_.fixed;
  const int firstRow = rows_.fixed;
  // Column order in one pass over the stored rows: columns firstCol..limit-1 have held a text in every row
  // so far, and column `limit` is the leftmost one known to have a gap (at gapRow). A column without a
  // text in the first row ends its run at once, so the cost follows the stored texts, not the columns.
  int limit = cols_.count;
  int gapRow = -1;
  int expected = firstRow;
  bool missingRow = false;
  store_.ForEachRow(firstRow, rows_.count, [&](int row, std::span<const TCellStore::Cell> cells) {
    if (row > expected) {
      missingRow = true;
      return false;
    }
    int col = firstCol;
    auto it = std::partition_point(cells.begin(), cells.end(),
                                   [firstCol](const TCellStore::Cell& c) { return c.col < firstCol; });
    for (; it != cells.end() && col < limit && it->col == col; ++it) ++col;
    if (col < limit) {
      limit = col;
      gapRow = row;
    }
    expected = row + 1;
    return limit > firstCol;
  });
  if (limit == firstCol) return TCellAddress{firstCol, gapRow};
  // A row without a map holds no text: every column still in its run has its gap there.
  if (missingRow || expected < rows_.count) return TCellAddress{firstCol, expected};
  if (limit < cols_.count) return TCellAddress{limit, gapRow};
  return {};
}

}  // namespace metrazil
