#include "grid/layout/GridGeometry.h"

namespace metrazil {

TGridGeometry::TGridGeometry(const TTableGrid& grid, std::int64_t clientWidth, std::int64_t clientHeight)
    : TGridGeometry(grid, clientWidth, clientHeight, grid.LeftCol(), grid.TopRow()) {}

TGridGeometry::TGridGeometry(const TTableGrid& grid, std::int64_t clientWidth, std::int64_t clientHeight, int leftCol,
                             int topRow)
    : cols_(grid, &TTableGrid::ColWidth, grid.ColCount(), grid.FixedCols(), clientWidth, leftCol),
      rows_(grid, &TTableGrid::RowHeight, grid.RowCount(), grid.FixedRows(), clientHeight, topRow) {}

TGridGeometry::TAxis::TAxis(const TTableGrid& model, int (TTableGrid::*sizeFunction)(int) const, int indexCount,
                            int fixed, std::int64_t client, int firstShown)
    : grid(&model),
      sizeOf(sizeFunction),
      count(indexCount),
      fixedCount(fixed),
      clientSize(std::max<std::int64_t>(client, 0)),
      first(std::max(firstShown, fixed)) {
  std::int64_t pos = 0;
  edges.push_back(0);
  for (int i = 0; i < fixedCount && i < count && pos < clientSize; ++i) {
    visible.push_back(i);
    pos += Size(i);
    edges.push_back(pos);
  }
  fixedSize = pos;
  for (int i = first; i < count && pos < clientSize; ++i) {
    visible.push_back(i);
    pos += Size(i);
    edges.push_back(pos);
  }
}

int TGridGeometry::TAxis::VisibleIndex(int index) const {
  auto it = std::lower_bound(visible.begin(), visible.end(), index);
  return it != visible.end() && *it == index ? static_cast<int>(it - visible.begin()) : -1;
}

int TGridGeometry::TAxis::LastVisible() const {
  return !visible.empty() && visible.back() >= first ? visible.back() : first - 1;
}

int TGridGeometry::TAxis::LastFullyVisible() const {
  for (std::size_t i = visible.size(); i-- > 0 && visible[i] >= first;) {
    if (edges[i + 1] <= clientSize) return visible[i];
  }
  return first - 1;
}

int TGridGeometry::TAxis::Page() const { return std::max(1, LastFullyVisible() - first); }

int TGridGeometry::TAxis::At(std::int64_t pos) const {
  if (pos < 0 || pos >= clientSize || pos >= End()) return -1;
  // The first edge beyond pos closes the index that holds it; zero-size rows and columns share their edge.
  auto it = std::upper_bound(edges.begin(), edges.end(), pos);
  return visible[static_cast<std::size_t>(it - edges.begin()) - 1];
}

int TGridGeometry::TAxis::MaxFirst() const {
  const int last = count - 1;
  const std::int64_t room = clientSize - fixedSize;
  std::int64_t sum = 0;
  for (int i = last; i >= fixedCount; --i) {
    sum += Size(i);
    if (sum > room) return std::min(i + 1, last);
  }
  return fixedCount;
}

int TGridGeometry::TAxis::FirstShowing(int index) const {
  // Fixed indexes and those outside the count leave the direction alone.
  if (index < fixedCount || index >= count) return first;
  if (index < first) return index;
  if (index <= LastFullyVisible()) return first;
  const std::int64_t room = clientSize - fixedSize;
  std::int64_t sum = Size(index);
  int start = index;
  while (start - 1 >= fixedCount && sum + Size(start - 1) <= room) sum += Size(--start);
  return start;
}

TGridRect TGridGeometry::CellRect(int col, int row) const {
  const int ci = cols_.VisibleIndex(col);
  const int ri = rows_.VisibleIndex(row);
  if (ci < 0 || ri < 0) return {};
  return {cols_.edges[ci], rows_.edges[ri], cols_.edges[ci + 1], rows_.edges[ri + 1]};
}

std::pair<std::int64_t, std::int64_t> TGridGeometry::TAxis::Span(int from, int to) const {
  if (from > to) std::swap(from, to);
  const auto begin = std::lower_bound(visible.begin(), visible.end(), from);
  const auto end = std::upper_bound(begin, visible.end(), to);
  if (begin == end) return {0, 0};
  return {edges[static_cast<std::size_t>(begin - visible.begin())],
          edges[static_cast<std::size_t>(end - visible.begin())]};
}

TGridRect TGridGeometry::BlockRect(TCellAddress corner, TCellAddress otherCorner) const {
  const auto [left, right] = cols_.Span(corner.col, otherCorner.col);
  const auto [top, bottom] = rows_.Span(corner.row, otherCorner.row);
  if (left == right || top == bottom) return {};
  return {left, top, right, bottom};
}

std::optional<std::int64_t> TGridGeometry::TAxis::ShiftFrom(const TAxis& earlier) const {
  if (count != earlier.count || fixedCount != earlier.fixedCount || clientSize != earlier.clientSize ||
      fixedSize != earlier.fixedSize) {
    return std::nullopt;
  }
  if (first == earlier.first) {
    return visible == earlier.visible && edges == earlier.edges ? std::optional<std::int64_t>(0) : std::nullopt;
  }
  // The fixed ones on screen, the same in both since their total size is.
  const auto fixedShown =
      static_cast<std::size_t>(std::lower_bound(visible.begin(), visible.end(), fixedCount) - visible.begin());
  if (fixedShown > earlier.visible.size() ||
      !std::equal(visible.begin(), visible.begin() + static_cast<std::ptrdiff_t>(fixedShown),
                  earlier.visible.begin()) ||
      !std::equal(edges.begin(), edges.begin() + static_cast<std::ptrdiff_t>(fixedShown) + 1, earlier.edges.begin())) {
    return std::nullopt;
  }
  // The scrollable ones on screen in both must all have moved by the same distance, ends included; those
  // new on screen then lie in the strip the move uncovers, at the start or past the earlier end.
  const int from = std::max(first, earlier.first);
  const int to = std::min(LastVisible(), earlier.LastVisible());
  if (from > to) return std::nullopt;
  const auto here = static_cast<std::size_t>(VisibleIndex(from));
  const auto there = static_cast<std::size_t>(earlier.VisibleIndex(from));
  const std::int64_t shift = edges[here] - earlier.edges[there];
  for (std::size_t k = 0; k <= static_cast<std::size_t>(to - from); ++k) {
    if (edges[here + k + 1] - earlier.edges[there + k + 1] != shift) return std::nullopt;
  }
  return shift;
}

std::optional<TGridShift> TGridGeometry::ShiftFrom(const TGridGeometry& earlier) const {
  const std::optional<std::int64_t> dx = cols_.ShiftFrom(earlier.cols_);
  const std::optional<std::int64_t> dy = rows_.ShiftFrom(earlier.rows_);
  if (!dx || !dy || (*dx != 0 && *dy != 0)) return std::nullopt;
  return TGridShift{*dx, *dy};
}

TCellAddress TGridGeometry::CellAt(std::int64_t x, std::int64_t y) const {
  const int col = ColAt(x);
  const int row = RowAt(y);
  if (col < 0 || row < 0) return {};
  return {col, row};
}

int TGridGeometry::HeaderColAt(std::int64_t x, std::int64_t y) const {
  if (rows_.fixedCount == 0 || x < 0 || RowAt(y) != 0) return -1;
  const int col = ColAt(x);
  if (col >= 0) return col;
  const int last = cols_.count - 1;
  if (x >= CellsRight() && !cols_.visible.empty() && cols_.visible.back() == last) return last;
  return -1;
}

TCellAddress TGridGeometry::ScrollIntoView(int col, int row) const {
  return {ClampLeftCol(cols_.FirstShowing(col)), ClampTopRow(rows_.FirstShowing(row))};
}

}  // namespace metrazil
