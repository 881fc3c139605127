#pragma once

#include <cstdint>
#include <vector>

#include "grid/model/TableGrid.h"

namespace metrazil {

// A rectangle in client pixels; right and bottom are exclusive and include the cell's own grid lines.
struct TGridRect {
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::int64_t right = 0;
  std::int64_t bottom = 0;

  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(std::int64_t x, std::int64_t y) const { return x >= left && x < right && y >= top && y < bottom; }
  friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// Where the cells of a grid lie in a client area of a given size, for one top-left cell. Only the fixed
// rows and columns and the scrollable ones from the top-left cell up to the client's edge are walked, so
// building one costs the same for 10 rows as for 134,217,725. A width or height of 0 or less is laid out
// as 0. Positions are 64-bit; indexes are the model's 32-bit ones.
class TGridGeometry {
 public:
  // Uses the model's own top-left cell.
  TGridGeometry(const TTableGrid& grid, std::int64_t clientWidth, std::int64_t clientHeight);
  TGridGeometry(const TTableGrid& grid, std::int64_t clientWidth, std::int64_t clientHeight, int leftCol, int topRow);

  static std::int64_t LaidOutSize(int size) { return size > 0 ? size : 0; }

  int LeftCol() const { return leftCol_; }
  int TopRow() const { return topRow_; }
  std::int64_t ClientWidth() const { return clientWidth_; }
  std::int64_t ClientHeight() const { return clientHeight_; }

  // Total size of the fixed rows at the top and the fixed columns at the left.
  std::int64_t FixedHeight() const { return fixedHeight_; }
  std::int64_t FixedWidth() const { return fixedWidth_; }

  // Columns and rows on screen, fixed ones first, then the scrollable ones from the top-left cell up to
  // the last one that is at least partly inside the client. Cells beyond the counts never appear.
  const std::vector<int>& VisibleCols() const { return visibleCols_; }
  const std::vector<int>& VisibleRows() const { return visibleRows_; }

  // Last scrollable column or row that is at least partly / fully on screen; LeftCol() - 1 or TopRow() - 1
  // when there is none.
  int LastVisibleCol() const;
  int LastVisibleRow() const;
  int LastFullyVisibleCol() const;
  int LastFullyVisibleRow() const;
  // Number of scrollable rows fully on screen from the top row on.
  int FullyVisibleRows() const { return LastFullyVisibleRow() - topRow_ + 1; }

  // A page for PgUp/PgDn and Ctrl+Left/Right: last fully visible index minus the top-left index, at least 1.
  int RowPage() const;
  int ColPage() const;

  // The right end of the last column on screen and the bottom of the last row on screen: beyond them the
  // client shows the empty area.
  std::int64_t CellsRight() const { return colEdges_.empty() ? 0 : colEdges_.back(); }
  std::int64_t CellsBottom() const { return rowEdges_.empty() ? 0 : rowEdges_.back(); }

  // The cell's rectangle while it is on screen (partly or fully); an empty rectangle for a cell that is
  // scrolled out, beyond the client or outside the counts.
  TGridRect CellRect(int col, int row) const;

  // Hit-testing among the cells on screen: -1 for a pixel left of / above the cells, beyond the last
  // cell on screen, or outside the client. A zero-width column is never hit.
  int ColAt(std::int64_t x) const;
  int RowAt(std::int64_t y) const;
  // {-1, -1} unless both hit.
  TCellAddress CellAt(std::int64_t x, std::int64_t y) const;
  // The column whose header cell (row 0, while it is a fixed row) holds the point; the empty area right of
  // the last column counts as that column's header while the last column is on screen. -1 elsewhere.
  int HeaderColAt(std::int64_t x, std::int64_t y) const;

  // Largest top row (left column) that still fills the client: the one from which the last row (column)
  // is just fully visible, or the last row itself when it alone is taller than the room.
  int MaxTopRow() const;
  int MaxLeftCol() const;
  // The index clamped into the first scrollable one .. the maximum above.
  int ClampTopRow(int row) const;
  int ClampLeftCol(int col) const;

  // The top-left cell (col = left column, row = top row) after the least scrolling that shows the cell
  // fully; fixed indexes leave their direction alone. Clamped.
  TCellAddress ScrollIntoView(int col, int row) const;

 private:
  void Build();
  std::int64_t RowSize(int row) const { return LaidOutSize(grid_.RowHeight(row)); }
  std::int64_t ColSize(int col) const { return LaidOutSize(grid_.ColWidth(col)); }
  // Position of index within a visible list, or -1.
  static int IndexOf(const std::vector<int>& items, int value);

  const TTableGrid& grid_;
  std::int64_t clientWidth_;
  std::int64_t clientHeight_;
  int leftCol_;
  int topRow_;
  std::int64_t fixedWidth_ = 0;
  std::int64_t fixedHeight_ = 0;
  std::vector<int> visibleCols_;
  std::vector<int> visibleRows_;
  // colEdges_[i] .. colEdges_[i + 1] spans visibleCols_[i]; the same for rows.
  std::vector<std::int64_t> colEdges_;
  std::vector<std::int64_t> rowEdges_;
};

}  // namespace metrazil
