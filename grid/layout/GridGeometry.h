#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
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

// How far the cells moved, in pixels.
struct TGridShift {
  std::int64_t dx = 0;
  std::int64_t dy = 0;
  friend bool operator==(const TGridShift&, const TGridShift&) = default;
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

  int LeftCol() const { return cols_.first; }
  int TopRow() const { return rows_.first; }
  std::int64_t ClientHeight() const { return rows_.clientSize; }

  // Total size of the fixed rows at the top and the fixed columns at the left.
  std::int64_t FixedHeight() const { return rows_.fixedSize; }
  std::int64_t FixedWidth() const { return cols_.fixedSize; }

  // Columns and rows on screen, fixed ones first, then the scrollable ones from the top-left cell up to
  // the last one that is at least partly inside the client. Cells beyond the counts never appear.
  const std::vector<int>& VisibleCols() const { return cols_.visible; }
  const std::vector<int>& VisibleRows() const { return rows_.visible; }

  // Last scrollable row that is fully on screen; TopRow() - 1 when there is none.
  int LastFullyVisibleRow() const { return rows_.LastFullyVisible(); }
  // Number of scrollable rows fully on screen from the top row on.
  int FullyVisibleRows() const { return LastFullyVisibleRow() - rows_.first + 1; }

  // A page for PgUp/PgDn and Ctrl+Left/Right: last fully visible index minus the top-left index, at least 1.
  int RowPage() const { return rows_.Page(); }
  int ColPage() const { return cols_.Page(); }

  // The right end of the last column on screen and the bottom of the last row on screen: beyond them the
  // client shows the empty area.
  std::int64_t CellsRight() const { return cols_.End(); }
  std::int64_t CellsBottom() const { return rows_.End(); }

  // The cell's rectangle while it is on screen (partly or fully); an empty rectangle for a cell that is
  // scrolled out, beyond the client or outside the counts.
  TGridRect CellRect(int col, int row) const;

  // The smallest rectangle holding every cell of the block from one corner to the other (both included, in
  // any order) that is on screen; empty when none is. The fixed cells and the scrollable ones abut, so the
  // cells scrolled out between them leave no gap.
  TGridRect BlockRect(TCellAddress corner, TCellAddress otherCorner) const;

  // How far the cells moved from an earlier geometry when nothing but the scrollable part of one direction
  // scrolled: every cell on screen in both lies shifted by the same pixels in that direction, the fixed
  // ones and the other direction lie where they lay, and the cells new on screen fill the strip the shift
  // uncovers. {0, 0} for the same layout (every cell where it lay, with the same counts, fixed counts and
  // client: then a change of focus, selection or text repaints only the cells it touches); nullopt for any
  // other change, or when no cell stays on screen.
  std::optional<TGridShift> ShiftFrom(const TGridGeometry& earlier) const;

  // Hit-testing among the cells on screen: -1 for a pixel left of / above the cells, beyond the last
  // cell on screen, or outside the client. A zero-width column is never hit.
  int ColAt(std::int64_t x) const { return cols_.At(x); }
  int RowAt(std::int64_t y) const { return rows_.At(y); }
  // {-1, -1} unless both hit.
  TCellAddress CellAt(std::int64_t x, std::int64_t y) const;
  // The column whose header cell (row 0, while it is a fixed row) holds the point; the empty area right of
  // the last column counts as that column's header while the last column is on screen. -1 elsewhere.
  int HeaderColAt(std::int64_t x, std::int64_t y) const;

  // Largest top row (left column) that still fills the client: the one from which the last row (column)
  // is just fully visible, or the last row itself when it alone is taller than the room.
  int MaxTopRow() const { return rows_.MaxFirst(); }
  int MaxLeftCol() const { return cols_.MaxFirst(); }
  // The index clamped into the first scrollable one .. the maximum above.
  int ClampTopRow(int row) const { return rows_.ClampFirst(row); }
  int ClampLeftCol(int col) const { return cols_.ClampFirst(col); }

  // The top-left cell (col = left column, row = top row) after the least scrolling that shows the cell
  // fully; fixed indexes leave their direction alone. Clamped.
  TCellAddress ScrollIntoView(int col, int row) const;

 private:
  static std::int64_t LaidOutSize(int size) { return size > 0 ? size : 0; }

  // One direction of the layout, rows or columns: the two differ only in which counts and sizes of the
  // model they read, so everything is computed once, here, for both.
  struct TAxis {
    TAxis(const TTableGrid& model, int (TTableGrid::*sizeFunction)(int) const, int indexCount, int fixed,
          std::int64_t client, int firstShown);

    std::int64_t Size(int index) const { return LaidOutSize((grid->*sizeOf)(index)); }
    std::int64_t End() const { return edges.back(); }
    int LastVisible() const;
    int LastFullyVisible() const;
    int Page() const;
    int At(std::int64_t pos) const;
    // Position of index among the visible ones, or -1.
    int VisibleIndex(int index) const;
    int MaxFirst() const;
    int ClampFirst(int index) const { return std::max(fixedCount, std::min(index, MaxFirst())); }
    // The first scrollable index after the least scrolling that shows index fully; unclamped.
    int FirstShowing(int index) const;
    // Where the visible indexes from one to the other (both included, in any order) lie; {0, 0} for none.
    std::pair<std::int64_t, std::int64_t> Span(int from, int to) const;
    std::optional<std::int64_t> ShiftFrom(const TAxis& earlier) const;

    const TTableGrid* grid;
    int (TTableGrid::*sizeOf)(int) const;
    int count;
    int fixedCount;
    std::int64_t clientSize;
    int first;  // the top row or left column
    std::int64_t fixedSize = 0;
    std::vector<int> visible;  // fixed ones first, then from first on
    // edges[i] .. edges[i + 1] spans visible[i].
    std::vector<std::int64_t> edges;
  };

  TAxis cols_;
  TAxis rows_;
};

}  // namespace metrazil
