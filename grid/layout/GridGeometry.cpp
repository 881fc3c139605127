#include "grid/layout/GridGeometry.h"

#include <algorithm>

namespace metrazil {

TGridGeometry::TGridGeometry(const TTableGrid& grid, std::int64_t clientWidth, std::int64_t clientHeight)
    : TGridGeometry(grid, clientWidth, clientHeight, grid.LeftCol(), grid.TopRow()) {}

TGridGeometry::TGridGeometry(const TTableGrid& grid, std::int64_t clientWidth, std::int64_t clientHeight, int leftCol,
                             int topRow)
    : grid_(grid),
      clientWidth_(std::max<std::int64_t>(clientWidth, 0)),
      clientHeight_(std::max<std::int64_t>(clientHeight, 0)),
      leftCol_(std::max(leftCol, grid.FixedCols())),
      topRow_(std::max(topRow, grid.FixedRows())) {
  Build();
}

void TGridGeometry::Build() {
  const int colCount = grid_.ColCount();
  const int rowCount = grid_.RowCount();

  std::int64_t x = 0;
  colEdges_.push_back(0);
  for (int c = 0; c < grid_.FixedCols() && c < colCount && x < clientWidth_; ++c) {
    visibleCols_.push_back(c);
    x += ColSize(c);
    colEdges_.push_back(x);
  }
  fixedWidth_ = x;
  for (int c = leftCol_; c < colCount && x < clientWidth_; ++c) {
    visibleCols_.push_back(c);
    x += ColSize(c);
    colEdges_.push_back(x);
  }

  std::int64_t y = 0;
  rowEdges_.push_back(0);
  for (int r = 0; r < grid_.FixedRows() && r < rowCount && y < clientHeight_; ++r) {
    visibleRows_.push_back(r);
    y += RowSize(r);
    rowEdges_.push_back(y);
  }
  fixedHeight_ = y;
  for (int r = topRow_; r < rowCount && y < clientHeight_; ++r) {
    visibleRows_.push_back(r);
    y += RowSize(r);
    rowEdges_.push_back(y);
  }
}

int TGridGeometry::IndexOf(const std::vector<int>& items, int value) {
  auto it = std::lower_bound(items.begin(), items.end(), value);
  return it != items.end() && *it == value ? static_cast<int>(it - items.begin()) : -1;
}

int TGridGeometry::LastVisibleCol() const {
  return !visibleCols_.empty() && visibleCols_.back() >= leftCol_ ? visibleCols_.back() : leftCol_ - 1;
}

int TGridGeometry::LastVisibleRow() const {
  return !visibleRows_.empty() && visibleRows_.back() >= topRow_ ? visibleRows_.back() : topRow_ - 1;
}

int TGridGeometry::LastFullyVisibleCol() const {
  for (std::size_t i = visibleCols_.size(); i-- > 0 && visibleCols_[i] >= leftCol_;) {
    if (colEdges_[i + 1] <= clientWidth_) return visibleCols_[i];
  }
  return leftCol_ - 1;
}

int TGridGeometry::LastFullyVisibleRow() const {
  for (std::size_t i = visibleRows_.size(); i-- > 0 && visibleRows_[i] >= topRow_;) {
    if (rowEdges_[i + 1] <= clientHeight_) return visibleRows_[i];
  }
  return topRow_ - 1;
}

int TGridGeometry::RowPage() const { return std::max(1, LastFullyVisibleRow() - topRow_); }

int TGridGeometry::ColPage() const { return std::max(1, LastFullyVisibleCol() - leftCol_); }

TGridRect TGridGeometry::CellRect(int col, int row) const {
  const int ci = IndexOf(visibleCols_, col);
  const int ri = IndexOf(visibleRows_, row);
  if (ci < 0 || ri < 0) return {};
  return {colEdges_[ci], rowEdges_[ri], colEdges_[ci + 1], rowEdges_[ri + 1]};
}

int TGridGeometry::ColAt(std::int64_t x) const {
  if (x < 0 || x >= clientWidth_ || x >= CellsRight()) return -1;
  // The first edge beyond x closes the column that holds it; zero-width columns share their edge.
  auto it = std::upper_bound(colEdges_.begin(), colEdges_.end(), x);
  return visibleCols_[static_cast<std::size_t>(it - colEdges_.begin()) - 1];
}

int TGridGeometry::RowAt(std::int64_t y) const {
  if (y < 0 || y >= clientHeight_ || y >= CellsBottom()) return -1;
  auto it = std::upper_bound(rowEdges_.begin(), rowEdges_.end(), y);
  return visibleRows_[static_cast<std::size_t>(it - rowEdges_.begin()) - 1];
}

TCellAddress TGridGeometry::CellAt(std::int64_t x, std::int64_t y) const {
  const int col = ColAt(x);
  const int row = RowAt(y);
  if (col < 0 || row < 0) return {};
  return {col, row};
}

int TGridGeometry::HeaderColAt(std::int64_t x, std::int64_t y) const {
  if (grid_.FixedRows() == 0 || x < 0 || RowAt(y) != 0) return -1;
  const int col = ColAt(x);
  if (col >= 0) return col;
  const int last = grid_.ColCount() - 1;
  if (x >= CellsRight() && !visibleCols_.empty() && visibleCols_.back() == last) return last;
  return -1;
}

int TGridGeometry::MaxTopRow() const {
  const int first = grid_.FixedRows();
  const int last = grid_.RowCount() - 1;
  const std::int64_t room = clientHeight_ - fixedHeight_;
  std::int64_t sum = 0;
  for (int r = last; r >= first; --r) {
    sum += RowSize(r);
    if (sum > room) return std::min(r + 1, last);
  }
  return first;
}

int TGridGeometry::MaxLeftCol() const {
  const int first = grid_.FixedCols();
  const int last = grid_.ColCount() - 1;
  const std::int64_t room = clientWidth_ - fixedWidth_;
  std::int64_t sum = 0;
  for (int c = last; c >= first; --c) {
    sum += ColSize(c);
    if (sum > room) return std::min(c + 1, last);
  }
  return first;
}

int TGridGeometry::ClampTopRow(int row) const { return std::max(grid_.FixedRows(), std::min(row, MaxTopRow())); }

int TGridGeometry::ClampLeftCol(int col) const { return std::max(grid_.FixedCols(), std::min(col, MaxLeftCol())); }

TCellAddress TGridGeometry::ScrollIntoView(int col, int row) const {
  int top = topRow_;
  if (row >= grid_.FixedRows() && row < grid_.RowCount()) {
    if (row < topRow_) {
      top = row;
    } else if (row > LastFullyVisibleRow()) {
      const std::int64_t room = clientHeight_ - fixedHeight_;
      std::int64_t sum = RowSize(row);
      top = row;
      while (top - 1 >= grid_.FixedRows() && sum + RowSize(top - 1) <= room) sum += RowSize(--top);
    }
  }
  int left = leftCol_;
  if (col >= grid_.FixedCols() && col < grid_.ColCount()) {
    if (col < leftCol_) {
      left = col;
    } else if (col > LastFullyVisibleCol()) {
      const std::int64_t room = clientWidth_ - fixedWidth_;
      std::int64_t sum = ColSize(col);
      left = col;
      while (left - 1 >= grid_.FixedCols() && sum + ColSize(left - 1) <= room) sum += ColSize(--left);
    }
  }
  return {ClampLeftCol(left), ClampTopRow(top)};
}

}  // namespace metrazil
