#include "grid/model/TableGrid.h"

#include <algorithm>
#include <limits>

#include "base/CodePage.h"

namespace metrazil {

namespace {

const char* const kGridTooLarge = "操作的网格太大";
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

void TTableGrid::CellRangeChanged(int fromCol, int fromRow, int toCol, int toRow) const {
  if (OnCellRangeChanged) OnCellRangeChanged(TCellAddress{fromCol, fromRow}, TCellAddress{toCol, toRow});
}

void TTableGrid::CellsWritten(TCellAddress from, TCellAddress to) const {
  if (OnCellsWritten && from.col <= to.col && from.row <= to.row) OnCellsWritten(from, to);
}

void TTableGrid::BeginUpdate() { ++updateCount_; }

void TTableGrid::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) FlushPendingLayout();
}

void TTableGrid::FlushPendingLayout() {
  if (!layoutPending_) return;
  layoutPending_ = false;
  if (OnLayoutChanged) OnLayoutChanged();
}

void TTableGrid::ResetFocusToOrigin() {
  focusCol_ = anchorCol_ = leftCol_ = fixedCols_;
  focusRow_ = anchorRow_ = topRow_ = fixedRows_;
}

void TTableGrid::SetRowCount(int v) {
  if (v > kMaxCount) throw EInvalidGridOperation(kGridTooLarge);
  if (v == rowCount_) return;
  v = std::max(v, 1);
  if (v <= fixedRows_) {
    fixedRows_ = v - 1;
    ResetFocusToOrigin();
  }
  rowCount_ = v;
  ++contentRevision_;
  rowHeights_.erase(std::lower_bound(rowHeights_.begin(), rowHeights_.end(), std::pair{v, 0}), rowHeights_.end());
  focusRow_ = std::min(focusRow_, v - 1);
  topRow_ = std::min(topRow_, v - 1);
  anchorCol_ = focusCol_;
  anchorRow_ = focusRow_;
  LayoutChanged();
}

void TTableGrid::SetColCount(int v) {
  if (v > kMaxCount) throw EInvalidGridOperation(kGridTooLarge);
  if (v == colCount_) return;
  v = std::max(v, 1);
  if (v <= fixedCols_) {
    fixedCols_ = v - 1;
    ResetFocusToOrigin();
  }
  colCount_ = v;
  ++contentRevision_;
  colWidths_.erase(std::lower_bound(colWidths_.begin(), colWidths_.end(), std::pair{v, 0}), colWidths_.end());
  focusCol_ = std::min(focusCol_, v - 1);
  leftCol_ = std::min(leftCol_, v - 1);
  anchorCol_ = focusCol_;
  anchorRow_ = focusRow_;
  LayoutChanged();
}

void TTableGrid::SetFixedRows(int v) {
  if (v < 0) throw EInvalidGridOperation(kGridIndexOutOfRange);
  if (v >= rowCount_) throw EInvalidGridOperation("固定行的数目必须小于总行数");
  fixedRows_ = v;
  ResetFocusToOrigin();
  LayoutChanged();
}

void TTableGrid::SetFixedCols(int v) {
  if (v < 0) throw EInvalidGridOperation(kGridIndexOutOfRange);
  if (v >= colCount_) throw EInvalidGridOperation("固定列的数目必须小于总列数");
  fixedCols_ = v;
  ResetFocusToOrigin();
  LayoutChanged();
}

void TTableGrid::CheckGridIndex(std::int64_t index, int count) {
  if (index < 0 || index >= count) throw EInvalidGridOperation(kGridIndexOutOfRange);
}

void TTableGrid::SetFocusedCell(int col, int row) { SetFocusedCell(col, row, false); }

void TTableGrid::SetFocusedCell(int col, int row, bool keepAnchor) {
  CheckGridIndex(col, colCount_);
  CheckGridIndex(row, rowCount_);
  focusCol_ = col;
  focusRow_ = row;
  if (!keepAnchor) {
    anchorCol_ = col;
    anchorRow_ = row;
  }
  LayoutChanged();
}

void TTableGrid::SetTopLeft(int col, int row) {
  leftCol_ = std::clamp(col, fixedCols_, colCount_ - 1);
  topRow_ = std::clamp(row, fixedRows_, rowCount_ - 1);
  LayoutChanged();
}

int TTableGrid::SizeAt(const SizeList& sizes, int index, int fallback) {
  const auto it = std::lower_bound(sizes.begin(), sizes.end(), std::pair{index, std::numeric_limits<int>::min()});
  return it != sizes.end() && it->first == index ? it->second : fallback;
}

void TTableGrid::SetSizeAt(SizeList& sizes, int index, int size, int fallback) {
  const auto it = std::lower_bound(sizes.begin(), sizes.end(), std::pair{index, std::numeric_limits<int>::min()});
  const bool own = it != sizes.end() && it->first == index;
  if (size == fallback) {
    if (own) sizes.erase(it);
  } else if (own) {
    it->second = size;
  } else {
    sizes.insert(it, {index, size});
  }
}

int TTableGrid::ZoomedSize(int size, int step) {
  const long long next = static_cast<long long>(size) + step;
  return next > 0 && next <= std::numeric_limits<int>::max() ? static_cast<int>(next) : size;
}

void TTableGrid::ZoomSizeList(SizeList& sizes, int& fallback, int step) {
  fallback = ZoomedSize(fallback, step);
  // A size that did not move while the default did (or the reverse) may now equal the default: it is no
  // longer an exception.
  std::erase_if(sizes, [&](std::pair<int, int>& entry) {
    entry.second = ZoomedSize(entry.second, step);
    return entry.second == fallback;
  });
}

void TTableGrid::ZoomSizes(int step) {
  if (step == 0) return;
  ++contentRevision_;
  ZoomSizeList(colWidths_, defaultColWidth_, step);
  ZoomSizeList(rowHeights_, defaultRowHeight_, step);
  LayoutChanged();
}

void TTableGrid::SetDefaultRowHeight(int height) {
  defaultRowHeight_ = std::max(height, 0);
  rowHeights_.clear();
  LayoutChanged();
}

int TTableGrid::ColWidth(int col) const {
  if (col < 0 || col >= colCount_) return defaultColWidth_;
  return SizeAt(colWidths_, col, defaultColWidth_);
}

void TTableGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= colCount_) throw EListError::IndexOutOfBounds(col);
  SetSizeAt(colWidths_, col, width, defaultColWidth_);
  ++contentRevision_;
  LayoutChanged();
}

int TTableGrid::RowHeight(int row) const {
  if (row < 0 || row >= rowCount_) return defaultRowHeight_;
  return SizeAt(rowHeights_, row, defaultRowHeight_);
}

void TTableGrid::SetRowHeight(int row, int height) {
  if (row < 0 || row >= rowCount_) throw EListError::IndexOutOfBounds(row);
  SetSizeAt(rowHeights_, row, height, defaultRowHeight_);
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
  if (OnCellWritten) OnCellWritten(col, row);
}

void TTableGrid::InsertRowsAt(int row, int count) {
  if (row < 0 || row >= rowCount_ || count < 1) return;
  if (static_cast<long long>(rowCount_) + count > kMaxCount) throw EInvalidGridOperation(kGridTooLarge);
  const int oldCount = rowCount_;
  const TUpdateGuard update(*this);
  SetRowCount(oldCount + count);
  // Every row from the insertion point to the new end has each of its columns written.
  rowMaps_.Add(row, rowCount_ - 1);
  store_.InsertRows(row, oldCount, count, colCount_);
  // Heights move with their rows; the new rows get the default.
  for (auto& [index, height] : rowHeights_) {
    if (index >= row) index += count;
  }
  LayoutChanged();
  CellRangeChanged(0, row, colCount_ - 1, row + count);
}

void TTableGrid::RemoveRowsAt(int row, int count) {
  if (row < 0 || row >= rowCount_ || count < 1) return;
  count = std::min(count, rowCount_ - row);
  {
    const TUpdateGuard update(*this);
    const int focusedRow = focusRow_;
    const int topRow = topRow_;
    for (int i = 0; i < count; ++i) {
      store_.RotateRowToEnd(row, rowCount_ - 1);
      rowMaps_.RotateToEnd(row, rowCount_ - 1);
      // The heights of the rows below follow them up; the removed row's height goes with it.
      const auto own = std::lower_bound(rowHeights_.begin(), rowHeights_.end(), std::pair{row, 0});
      if (own != rowHeights_.end() && own->first == row) rowHeights_.erase(own);
      for (auto& [index, height] : rowHeights_) {
        if (index > row) --index;
      }
      SetRowCount(rowCount_ - 1);
    }
    if (focusedRow < rowCount_) {
      focusRow_ = focusedRow;
      topRow_ = std::clamp(topRow, fixedRows_, rowCount_ - 1);
    } else {
      focusRow_ = rowCount_ - 1;
    }
    anchorCol_ = focusCol_;
    anchorRow_ = focusRow_;
    LayoutChanged();
  }
  CellRangeChanged(0, row, colCount_ - 1, row + count);
}

void TTableGrid::ScrollUpAfterRemoval(int fullyVisibleRows) {
  const int candidate = rowCount_ - fullyVisibleRows - 1;
  if (candidate > 0 && candidate <= topRow_) {
    topRow_ = std::max(candidate, fixedRows_);
    LayoutChanged();
  }
}

void TTableGrid::ForEachTextInColumn(int col, int firstRow, int lastRow,
                                     const std::function<void(int row, std::string_view text)>& visit) const {
  store_.ForEachRow(firstRow, lastRow, [&](int row, std::span<const TCellStore::Cell> cells) {
    const auto cell = std::lower_bound(cells.begin(), cells.end(), col,
                                       [](const TCellStore::Cell& c, int wanted) { return c.col < wanted; });
    if (cell != cells.end() && cell->col == col) visit(row, cell->Text());
    return true;
  });
}

TCellAddress TTableGrid::LocateText(std::string_view text, std::uint16_t /*options*/) const {
  if (text == "\"\"") return LocateEmptyCell();
  if (text.empty()) return {};
  const std::string needle = AnsiUpperCase(text);
  TCellAddress best;
  // Only stored cells can match, so the search walks the store and keeps the first hit in column order.
  store_.ForEachRow(fixedRows_, rowCount_, [&](int row, std::span<const TCellStore::Cell> cells) {
    for (const TCellStore::Cell& cell : cells) {
      if (cell.col < fixedCols_) continue;
      if (cell.col >= colCount_ || (best.col >= 0 && cell.col >= best.col)) break;
      if (AnsiUpperCaseEquals(cell.Text(), needle)) {
        best = TCellAddress{cell.col, row};
        break;
      }
    }
    return best.row < 0 || best.col > fixedCols_;
  });
  return best;
}

TCellAddress TTableGrid::LocateEmptyCell() const {
  const int firstCol = fixedCols_;
  const int firstRow = fixedRows_;
  // Column order in one pass over the stored rows: columns firstCol..limit-1 have held a text in every row
  // so far, and column `limit` is the leftmost one known to have a gap (at gapRow). A column without a
  // text in the first row ends its run at once, so the cost follows the stored texts, not the columns.
  int limit = colCount_;
  int gapRow = -1;
  int expected = firstRow;
  bool missingRow = false;
  store_.ForEachRow(firstRow, rowCount_, [&](int row, std::span<const TCellStore::Cell> cells) {
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
  if (missingRow || expected < rowCount_) return TCellAddress{firstCol, expected};
  if (limit < colCount_) return TCellAddress{limit, gapRow};
  return {};
}

}  // namespace metrazil
