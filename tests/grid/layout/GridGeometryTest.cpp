#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "grid/layout/GridGeometry.h"
#include "grid/model/TableDesign.h"

namespace metrazil {
namespace {

// The main window's settings: header row, no header column, rows of 21, columns of 64.
class GridGeometryTest : public ::testing::Test {
 protected:
  void SetUp() override { SetDesignState(grid_); }
  TTableGrid grid_;
};

TEST_F(GridGeometryTest, CellRectsAbutAndIncludeTheirGridLines) {
  const TGridGeometry g(grid_, 200, 100);
  EXPECT_EQ(g.CellRect(0, 0), (TGridRect{0, 0, 64, 21}));
  EXPECT_EQ(g.CellRect(1, 1), (TGridRect{64, 21, 128, 42}));
  EXPECT_EQ(g.CellRect(3, 4), (TGridRect{192, 84, 256, 105}));  // partly visible
  EXPECT_TRUE(g.CellRect(4, 1).IsEmpty());                      // beyond the client
  EXPECT_TRUE(g.CellRect(0, 5).IsEmpty());
  EXPECT_TRUE(g.CellRect(0, 10).IsEmpty());  // outside the counts
  EXPECT_EQ(g.VisibleRows().back(), 4);
  EXPECT_EQ(g.LastFullyVisibleRow(), 3);
  EXPECT_EQ(g.VisibleCols().back(), 3);
  EXPECT_EQ(g.ColPage(), 2);  // column 2, the last fully on screen, less the left one
  EXPECT_EQ(g.FullyVisibleRows(), 3);
  EXPECT_EQ(g.CellsRight(), 256);
  EXPECT_EQ(g.CellsBottom(), 105);
}

TEST_F(GridGeometryTest, HitTestingGivesMinusOneOutsideTheCells) {
  const TGridGeometry g(grid_, 400, 300);  // all 5 columns (320) and 10 rows (210) fit
  struct Case {
    const char* name;
    std::int64_t x, y;
    TCellAddress expected;
  } cases[] = {
      {"origin", 0, 0, {0, 0}},
      {"grid line belongs to the cell left of it", 63, 20, {0, 0}},
      {"next column", 64, 21, {1, 1}},
      {"last pixel of the last cell", 319, 209, {4, 9}},
      {"right of the last column", 320, 5, {-1, -1}},
      {"below the last row", 5, 210, {-1, -1}},
      {"negative", -1, 5, {-1, -1}},
      {"outside the client", 500, 500, {-1, -1}},
  };
  for (const Case& c : cases) EXPECT_EQ(g.CellAt(c.x, c.y), c.expected) << c.name;
}

TEST_F(GridGeometryTest, HeaderColumnsIncludeTheEmptyAreaRightOfTheLastColumn) {
  // 5 columns of 64 end at 320; the client is 400 wide, so the last column is on screen.
  const TGridGeometry all(grid_, 400, 300);
  // 300 wide: the last column is cut off at the edge and no empty area shows.
  const TGridGeometry cut(grid_, 300, 300);
  TTableGrid wide;
  wide.SetFixedCols(0);
  wide.SetColCount(8);
  const TGridGeometry scrolled(wide, 400, 300, 4, 1);  // columns 4..7 end at 256
  struct Case {
    const char* name;
    const TGridGeometry& geometry;
    std::int64_t x, y;
    int expected;
  } cases[] = {
      {"first header cell", all, 0, 0, 0},
      {"grid line of the header row", all, 63, 20, 0},
      {"last header cell", all, 319, 10, 4},
      {"right of the last column", all, 320, 10, 4},
      {"far right in the client", all, 399, 10, 4},
      {"body row", all, 10, 21, -1},
      {"body row right of the last column", all, 350, 30, -1},
      {"left of the client", all, -1, 10, -1},
      {"last column cut off", cut, 299, 10, 4},
      {"scrolled: first column on screen", scrolled, 0, 10, 4},
      {"scrolled: right of the last column", scrolled, 256, 10, 7},
  };
  for (const Case& c : cases) EXPECT_EQ(c.geometry.HeaderColAt(c.x, c.y), c.expected) << c.name;
}

TEST_F(GridGeometryTest, NoHeaderColumnWithoutAHeaderRow) {
  grid_.SetFixedRows(0);
  const TGridGeometry g(grid_, 400, 300);
  EXPECT_EQ(g.HeaderColAt(10, 5), -1);
  EXPECT_EQ(g.HeaderColAt(350, 5), -1);
}

TEST_F(GridGeometryTest, ScrolledRowsFollowTheHeader) {
  grid_.SetRowCount(100);
  const TGridGeometry g(grid_, 200, 100, 0, 50);
  EXPECT_EQ(g.CellRect(0, 0), (TGridRect{0, 0, 64, 21}));
  EXPECT_EQ(g.CellRect(0, 50), (TGridRect{0, 21, 64, 42}));
  EXPECT_TRUE(g.CellRect(0, 49).IsEmpty());
  EXPECT_EQ(g.RowAt(25), 50);
  EXPECT_EQ(g.RowAt(5), 0);
  EXPECT_EQ(g.RowPage(), 2);  // rows 50 to 52 fully visible
}

TEST_F(GridGeometryTest, ClampedTopRowShowsTheLastRowAtTheBottom) {
  // Room for 4 body rows (84 of the 100 - 21 = 79 pixels hold 3 whole rows).
  const TGridGeometry g(grid_, 200, 100);
  EXPECT_EQ(g.MaxTopRow(), 7);  // rows 7, 8, 9 fit in 79 pixels, 6..9 would need 84
  EXPECT_EQ(g.ClampTopRow(100), 7);
  EXPECT_EQ(g.ClampTopRow(0), 1);
  const TGridGeometry all(grid_, 400, 400);
  EXPECT_EQ(all.MaxTopRow(), 1);
  EXPECT_EQ(all.MaxLeftCol(), 0);
}

TEST_F(GridGeometryTest, ScrollIntoViewScrollsTheLeastNeeded) {
  const TGridGeometry g(grid_, 200, 100);
  EXPECT_EQ(g.ScrollIntoView(0, 3), (TCellAddress{0, 1}));  // already fully visible
  EXPECT_EQ(g.ScrollIntoView(0, 4), (TCellAddress{0, 2}));  // partly visible: one row further
  EXPECT_EQ(g.ScrollIntoView(0, 9), (TCellAddress{0, 7}));
  EXPECT_EQ(g.ScrollIntoView(4, 1), (TCellAddress{2, 1}));  // columns 2..4 fill 192 of 200 pixels
  const TGridGeometry scrolled(grid_, 200, 100, 2, 7);
  EXPECT_EQ(scrolled.ScrollIntoView(0, 2), (TCellAddress{0, 2}));
}

// Rows and columns share one layout: a grid and its transpose, in a client of swapped size, give the same
// answers with rows and columns exchanged, whatever the sizes and the top-left cell.
TEST(GridGeometryAxesTest, ColumnsLayOutAsTheTransposedRows) {
  const int sizes[] = {30, 0, 55, 12, 80, 21, 5, 64, 40, 9, 33, 70};
  TTableGrid grid;
  TTableGrid transposed;
  for (TTableGrid* g : {&grid, &transposed}) {
    g->SetRowCount(12);
    g->SetColCount(12);
  }
  grid.SetFixedRows(2);
  grid.SetFixedCols(1);
  transposed.SetFixedRows(1);
  transposed.SetFixedCols(2);
  for (int i = 0; i < 12; ++i) {
    grid.SetRowHeight(i, sizes[i]);
    grid.SetColWidth(i, sizes[11 - i]);
    transposed.SetColWidth(i, sizes[i]);
    transposed.SetRowHeight(i, sizes[11 - i]);
  }
  struct Case {
    const char* name;
    std::int64_t width, height;
    int left, top;
  } cases[] = {
      {"at the start", 150, 120, 0, 0},  {"scrolled", 150, 120, 4, 6},
      {"past the end", 90, 200, 11, 11}, {"room for the fixed ones only", 40, 25, 3, 3},
      {"no room", 0, 0, 1, 2},
  };
  for (const Case& c : cases) {
    const TGridGeometry g(grid, c.width, c.height, c.left, c.top);
    const TGridGeometry t(transposed, c.height, c.width, c.top, c.left);
    EXPECT_EQ(g.VisibleRows(), t.VisibleCols()) << c.name;
    EXPECT_EQ(g.VisibleCols(), t.VisibleRows()) << c.name;
    EXPECT_EQ(g.RowPage(), t.ColPage()) << c.name;
    EXPECT_EQ(g.ColPage(), t.RowPage()) << c.name;
    EXPECT_EQ(g.MaxTopRow(), t.MaxLeftCol()) << c.name;
    EXPECT_EQ(g.MaxLeftCol(), t.MaxTopRow()) << c.name;
    EXPECT_EQ(g.CellsBottom(), t.CellsRight()) << c.name;
    for (int i = 0; i < 12; ++i) {
      const TCellAddress shown = g.ScrollIntoView(i, 11 - i);
      EXPECT_EQ(shown, (TCellAddress{t.ScrollIntoView(11 - i, i).row, t.ScrollIntoView(11 - i, i).col}))
          << c.name << ", index " << i;
    }
  }
}

TEST_F(GridGeometryTest, ZeroAndNegativeWidthsLayOutAsEmptyColumns) {
  grid_.SetColWidth(1, 0);
  grid_.SetColWidth(2, -5);
  const TGridGeometry g(grid_, 400, 100);
  EXPECT_TRUE(g.CellRect(1, 1).IsEmpty());
  EXPECT_TRUE(g.CellRect(2, 1).IsEmpty());
  EXPECT_EQ(g.CellRect(3, 1), (TGridRect{64, 21, 128, 42}));
  EXPECT_EQ(g.ColAt(64), 3);
  EXPECT_EQ(g.ColAt(63), 0);
  EXPECT_EQ(g.CellsRight(), 192);
}

TEST_F(GridGeometryTest, BlockRectsHoldTheBlocksCellsOnScreen) {
  grid_.SetRowCount(20);
  const TGridGeometry g(grid_, 200, 100);
  const TGridGeometry scrolled(grid_, 200, 100, 0, 3);  // rows 0, 3, 4, 5, 6 on screen
  struct Case {
    const char* name;
    const TGridGeometry& geometry;
    TCellAddress corner;
    TCellAddress otherCorner;
    TGridRect expected;
  };
  const Case cases[] = {
      {"one cell", g, {1, 1}, {1, 1}, {64, 21, 128, 42}},
      {"corners in any order", g, {2, 3}, {1, 1}, {64, 21, 192, 84}},
      {"cut at the client's edges", g, {1, 2}, {9, 19}, {64, 42, 256, 105}},
      {"beyond the counts", g, {5, 1}, {7, 2}, {}},
      {"scrolled out", scrolled, {0, 1}, {4, 2}, {}},
      {"header and rows with scrolled-out ones between", scrolled, {0, 0}, {0, 4}, {0, 0, 64, 63}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.geometry.BlockRect(c.corner, c.otherCorner), c.expected) << c.name;
}

TEST_F(GridGeometryTest, ShiftFromTellsAScrollOfOneDirectionFromAnyOtherChange) {
  struct Case {
    const char* name;
    std::function<void(TTableGrid&)> change;
    int earlierTopRow;
    int leftCol;
    int topRow;
    std::int64_t clientHeight;
    std::optional<TGridShift> expected;
  };
  const auto none = [](TTableGrid&) {};
  const Case cases[] = {
      {"nothing", none, 1, 0, 1, 100, TGridShift{0, 0}},
      {"one row down", none, 1, 0, 2, 100, TGridShift{0, -21}},
      {"two rows up", none, 5, 0, 3, 100, TGridShift{0, 42}},
      {"one column right", none, 1, 1, 1, 100, TGridShift{-64, 0}},
      {"both directions", none, 1, 1, 2, 100, std::nullopt},
      {"further than the screen", none, 1, 0, 12, 100, std::nullopt},
      {"a row on screen resized", [](TTableGrid& g) { g.SetRowHeight(3, 30); }, 1, 0, 2, 100, std::nullopt},
      {"a row on screen resized, no scroll", [](TTableGrid& g) { g.SetRowHeight(3, 30); }, 1, 0, 1, 100, std::nullopt},
      {"a row off screen resized", [](TTableGrid& g) { g.SetRowHeight(15, 30); }, 1, 0, 2, 100, TGridShift{0, -21}},
      {"the header resized", [](TTableGrid& g) { g.SetRowHeight(0, 30); }, 1, 0, 2, 100, std::nullopt},
      {"another client", none, 1, 0, 2, 120, std::nullopt},
      {"another count", [](TTableGrid& g) { g.SetRowCount(30); }, 1, 0, 2, 100, std::nullopt},
  };
  for (const Case& c : cases) {
    TTableGrid grid;
    SetDesignState(grid);
    grid.SetRowCount(20);
    const TGridGeometry earlier(grid, 200, 100, 0, c.earlierTopRow);
    c.change(grid);
    const TGridGeometry later(grid, 200, c.clientHeight, c.leftCol, c.topRow);
    EXPECT_EQ(later.ShiftFrom(earlier), c.expected) << c.name;
  }
}

TEST_F(GridGeometryTest, HugeGridCostsOnlyTheVisibleRows) {
  grid_.SetRowCount(TTableGrid::kMaxCount);
  const int last = TTableGrid::kMaxCount - 1;
  const TGridGeometry g(grid_, 300, 400);
  EXPECT_EQ(g.VisibleRows().size(), 20u);  // header + 19 rows up to 400 pixels
  EXPECT_EQ(g.MaxTopRow(), last - 17);     // 18 rows of 21 fit in 379 pixels
  EXPECT_EQ(g.ScrollIntoView(0, last), (TCellAddress{0, last - 17}));
  const TGridGeometry bottom(grid_, 300, 400, 0, last - 17);
  EXPECT_EQ(bottom.LastFullyVisibleRow(), last);
  EXPECT_EQ(bottom.CellRect(0, last), (TGridRect{0, 21 + 17 * 21, 64, 21 + 18 * 21}));
  EXPECT_EQ(bottom.RowAt(21 + 17 * 21), last);
}

TEST_F(GridGeometryTest, HeaderRowGoneAfterFixedRowsDrop) {
  grid_.SetRowCount(1);  // lowers FixedRows to 0
  ASSERT_EQ(grid_.FixedRows(), 0);
  const TGridGeometry g(grid_, 200, 100);
  EXPECT_EQ(g.FixedHeight(), 0);
  EXPECT_EQ(g.CellRect(0, 0), (TGridRect{0, 0, 64, 21}));
  EXPECT_EQ(g.MaxTopRow(), 0);
}

}  // namespace
}  // namespace metrazil
