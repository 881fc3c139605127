#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "grid/model/TableGrid.h"
#include "tests/support/DesignGrid.h"
#include "tests/support/ErrorOf.h"

namespace metrazil {
namespace {

// Built by appending: GCC 12 warns falsely on a literal + std::string.
std::string Label(std::string prefix, int n) { return prefix.append(std::to_string(n)); }

void FillRows(TTableGrid& grid, int rows) {
  for (int r = 0; r < rows; ++r) grid.WriteCell(0, r, Label("r", r));
}

TEST(TableGridTest, ClassDefaultsAndDesignState) {
  TTableGrid plain;
  EXPECT_EQ(plain.FixedCols(), 1);
  EXPECT_EQ(plain.FocusedCol(), 1);
  TTableGrid grid = DesignGrid();
  EXPECT_EQ(grid.RowCount(), 10);
  EXPECT_EQ(grid.ColCount(), 5);
  EXPECT_EQ(grid.FixedRows(), 1);
  EXPECT_EQ(grid.FixedCols(), 0);
  EXPECT_EQ(grid.FocusedCol(), 0);
  EXPECT_EQ(grid.FocusedRow(), 1);
  EXPECT_EQ(grid.RowHeight(1), 21);
  EXPECT_EQ(grid.ColWidth(4), 64);
  EXPECT_EQ(grid.ReadCell(7, 2), "");
  EXPECT_EQ(grid.StoredCellCount(), 0u);
}

TEST(TableGridTest, NegativeIndexesRaiseListError) {
  TTableGrid grid = DesignGrid();
  EXPECT_EQ(ErrorOf([&] { grid.ReadCell(3, -1); }), "列表索引越界 (-1)");
  EXPECT_EQ(ErrorOf([&] { grid.WriteCell(-2, 1, "x"); }), "列表索引越界 (-2)");
  EXPECT_EQ(ErrorOf([&] { grid.WriteCell(1, -3, "x"); }), "列表索引越界 (-3)");
  // A negative column only matters in a row that has a map.
  EXPECT_EQ(grid.ReadCell(-1, 2), "");
  grid.WriteCell(0, 2, "a");
  EXPECT_EQ(ErrorOf([&] { grid.ReadCell(-1, 2); }), "列表索引越界 (-1)");
  EXPECT_THROW(grid.ReadCell(-1, 2), EListError);
}

TEST(TableGridTest, WritingEmptyTextDeletesEntry) {
  TTableGrid grid = DesignGrid();
  grid.WriteCell(1, 1, "x");
  EXPECT_EQ(grid.StoredCellCount(), 1u);
  grid.WriteCell(1, 1, "");
  EXPECT_EQ(grid.ReadCell(1, 1), "");
  EXPECT_EQ(grid.StoredCellCount(), 0u);
}

TEST(TableGridTest, CountSettersClampAndKeepTexts) {
  TTableGrid grid = DesignGrid();
  grid.SetRowCount(0);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.FixedRows(), 0);
  EXPECT_EQ(grid.FocusedRow(), 0);

  TTableGrid other = DesignGrid();
  other.SetRowCount(-5);
  EXPECT_EQ(other.RowCount(), 1);
  EXPECT_EQ(other.FixedRows(), 0);
  other.SetRowCount(4);
  EXPECT_EQ(other.FixedRows(), 0) << "nothing raises the fixed rows again";

  TTableGrid kept = DesignGrid();
  kept.SetRowCount(6);
  for (int r = 3; r < 6; ++r) kept.WriteCell(1, r, Label("t", r));
  kept.SetFocusedCell(1, 5);
  kept.SetRowCount(3);
  EXPECT_EQ(kept.FocusedRow(), 2);
  kept.SetRowCount(6);
  for (int r = 3; r < 6; ++r) EXPECT_EQ(kept.ReadCell(1, r), Label("t", r));
}

TEST(TableGridTest, SizesAreCutWithTheCounts) {
  TTableGrid grid = DesignGrid();
  grid.SetColWidth(4, 100);
  grid.SetColCount(6);
  EXPECT_EQ(grid.ColWidth(5), 64);
  EXPECT_EQ(grid.ReadCell(5, 1), "");
  grid.SetColCount(3);
  grid.SetColCount(5);
  EXPECT_EQ(grid.ColWidth(4), 64);
  grid.SetRowHeight(9, 40);
  grid.SetRowCount(9);
  grid.SetRowCount(10);
  EXPECT_EQ(grid.RowHeight(9), 21);
  EXPECT_THROW(grid.SetColWidth(5, 10), EListError);
  // Sizes of zero or less (a table file may hold them) go with their column or row too.
  grid.SetColWidth(4, -5);
  grid.SetColCount(4);
  grid.SetColCount(5);
  EXPECT_EQ(grid.ColWidth(4), 64);
  grid.SetRowHeight(5, -1);
  grid.SetRowHeight(6, 30);
  grid.RemoveRowsAt(5, 1);
  EXPECT_EQ(grid.RowHeight(5), 30);
}

TEST(TableGridTest, ZoomStepsMoveDefaultsAndOwnSizesAboveZero) {
  TTableGrid grid = DesignGrid();
  grid.SetRowCount(TTableGrid::kMaxCount);
  grid.SetColWidth(0, 3);
  grid.SetColWidth(1, 0);
  grid.SetColWidth(2, -5);
  grid.SetColWidth(3, 67);  // reaches the default's old value after a step down: an exception again
  grid.SetRowHeight(TTableGrid::kMaxCount - 1, 2);
  grid.ZoomSizes(-3);
  const int widths[] = {3, 0, -5, 64, 61};  // only results above 0 are taken; column 4 has the default
  for (int c = 0; c < 5; ++c) EXPECT_EQ(grid.ColWidth(c), widths[c]) << c;
  EXPECT_EQ(grid.RowHeight(TTableGrid::kMaxCount - 1), 2);
  EXPECT_EQ(grid.RowHeight(5), 18);  // the default
  grid.ZoomSizes(3);
  const int back[] = {6, 3, -5, 67, 64};
  for (int c = 0; c < 5; ++c) EXPECT_EQ(grid.ColWidth(c), back[c]) << c;
  EXPECT_EQ(grid.RowHeight(TTableGrid::kMaxCount - 1), 5);

  // A default that cannot shrink stays, and an own size that lands on it is no longer its own.
  grid.SetDefaultRowHeight(2);
  grid.SetRowHeight(4, 5);
  grid.ZoomSizes(-3);
  EXPECT_EQ(grid.RowHeight(5), 2);
  EXPECT_EQ(grid.RowHeight(4), 2);
  grid.SetDefaultRowHeight(7);
  EXPECT_EQ(grid.RowHeight(4), 7);
  // A size that a step would carry past the int range stays.
  grid.SetColWidth(4, 0x7fffffff);
  grid.ZoomSizes(1);
  EXPECT_EQ(grid.ColWidth(4), 0x7fffffff);
}

TEST(TableGridTest, LimitsOfCountsFixedCountsAndFocus) {
  TTableGrid grid = DesignGrid();
  grid.SetFocusedCell(2, 3);
  EXPECT_EQ(ErrorOf([&] { grid.SetColCount(134217726); }), "操作的网格太大");
  EXPECT_EQ(ErrorOf([&] { grid.SetRowCount(134217726); }), "操作的网格太大");
  EXPECT_EQ(grid.ColCount(), 5);
  EXPECT_EQ(grid.RowCount(), 10);
  EXPECT_EQ(grid.FocusedCol(), 2);
  EXPECT_EQ(grid.FocusedRow(), 3);
  EXPECT_THROW(grid.SetColCount(134217726), EInvalidGridOperation);
  grid.SetRowCount(134217725);  // the limit itself is fine and costs nothing per row
  EXPECT_EQ(grid.RowCount(), 134217725);

  EXPECT_EQ(ErrorOf([&] { grid.SetFixedRows(-1); }), "网格索引越界");
  EXPECT_EQ(ErrorOf([&] { grid.SetFixedCols(5); }), "固定列的数目必须小于总列数");
  grid.SetRowCount(3);
  EXPECT_EQ(ErrorOf([&] { grid.SetFixedRows(3); }), "固定行的数目必须小于总行数");
  EXPECT_EQ(ErrorOf([&] { grid.SetFocusedCell(5, 1); }), "网格索引越界");
  EXPECT_EQ(ErrorOf([&] { grid.SetFocusedCell(0, -1); }), "网格索引越界");
}

TEST(TableGridTest, GridIndexCheck) {
  struct Case {
    const char* name;
    std::int64_t index;
    int count;
    bool inside;
  };
  const Case cases[] = {
      {"first", 0, 5, true},
      {"last", 4, 5, true},
      {"negative", -1, 5, false},
      {"at the count", 5, 5, false},
      {"past the int range", std::int64_t{1} << 32, 5, false},  // not cut to 0
      {"empty range", 0, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf([&] { TTableGrid::CheckGridIndex(c.index, c.count); }),
              c.inside ? "no exception" : "网格索引越界")
        << c.name;
  }
}

TEST(TableGridTest, FocusAndAnchor) {
  TTableGrid grid = DesignGrid();
  grid.SetFocusedCell(1, 2);
  grid.SetFocusedCell(3, 5, true);
  EXPECT_EQ(grid.AnchorCol(), 1);
  EXPECT_EQ(grid.AnchorRow(), 2);
  EXPECT_EQ(grid.Selection(), (TCellBox{{1, 2}, {3, 5}}));
  grid.SetColCount(6);  // every effective count change collapses the selection
  EXPECT_EQ(grid.AnchorCol(), 3);
  EXPECT_EQ(grid.AnchorRow(), 5);
  grid.SetSelection({4, 9}, {0, 1});
  EXPECT_EQ(grid.Selection(), (TCellBox{{0, 1}, {4, 9}})) << "whichever corner the anchor is";
  EXPECT_EQ(grid.FocusedRow(), 1);
  EXPECT_EQ(ErrorOf([&] { grid.SetSelection({0, 10}, {0, 1}); }), "网格索引越界");
  EXPECT_EQ(grid.ClampToBody({-3, 0}), (TCellAddress{0, 1}));
  EXPECT_EQ(grid.ClampToBody({99, 99}), (TCellAddress{5, 9}));
}

// The layout and the cells each get one notice per change, or one per update however many changes it held
// (the layout first); a flush tells what is pending and leaves the update open.
TEST(TableGridTest, NoticesOncePerChangeOrUpdate) {
  TTableGrid grid = DesignGrid();
  std::string told;
  grid.OnLayoutChanged = [&] { told += "L"; };
  grid.OnCellsChanged = [&](const TCellBox& box) {
    told += "C" + std::to_string(box.from.col) + std::to_string(box.from.row) + std::to_string(box.to.col) +
            std::to_string(box.to.row);
  };
  grid.SetFocusedCell(1, 2);
  grid.WriteCell(2, 3, "x");
  grid.WriteCell(2, 3, "x");
  EXPECT_EQ(std::exchange(told, ""), "LC2323C2323") << "outside an update at once, a rewrite too";

  grid.BeginUpdate();
  grid.BeginUpdate();
  grid.SetRowCount(20);
  grid.WriteCell(1, 4, "a");
  grid.SetColWidth(0, 10);
  grid.WriteCell(3, 2, "b");
  grid.EndUpdate();
  EXPECT_EQ(told, "") << "held back to the outermost end";
  grid.EndUpdate();
  EXPECT_EQ(std::exchange(told, ""), "LC1234") << "one box holding both";

  grid.BeginUpdate();
  grid.FlushPendingNotices();
  EXPECT_EQ(told, "") << "nothing pending";
  grid.SetRowCount(21);
  grid.WriteCell(0, 1, "c");
  grid.FlushPendingNotices();
  EXPECT_EQ(std::exchange(told, ""), "LC0101");
  EXPECT_TRUE(grid.Updating());
  grid.SetTopLeft(0, 3);
  EXPECT_EQ(told, "") << "still held back after a flush";
  grid.EndUpdate();
  EXPECT_EQ(std::exchange(told, ""), "L");
  grid.EndUpdate();
  grid.FlushPendingNotices();
  EXPECT_EQ(told, "") << "an unbalanced end and a flush outside an update tell nothing";
}

TEST(TableGridTest, BusyScopesNest) {
  TTableGrid grid = DesignGrid();
  std::string calls;
  EXPECT_FALSE(grid.IsBusy());
  grid.Busy();
  {
    const TTableGrid::TBusyScope outer(grid, [&] { calls += "o"; });
    EXPECT_TRUE(grid.IsBusy());
    grid.Busy();
    {
      const TTableGrid::TBusyScope inner(grid, [&] { calls += "i"; });
      grid.BusyAtRow(4096);
      grid.BusyAtRow(4097);
    }
    grid.Busy();
    EXPECT_TRUE(grid.IsBusy());
  }
  EXPECT_FALSE(grid.IsBusy());
  grid.Busy();
  EXPECT_EQ(calls, "oio");
}

TEST(TableGridTest, LocateWholeCellCaseInsensitive) {
  TTableGrid grid = DesignGrid();
  grid.WriteCell(1, 1, "abc");
  grid.WriteCell(1, 2, "ab ");
  grid.WriteCell(2, 1, "AB");
  EXPECT_EQ(grid.LocateText("ab"), (TCellAddress{2, 1}));
  EXPECT_EQ(grid.LocateText(""), (TCellAddress{-1, -1}));
  EXPECT_EQ(grid.LocateText("zz"), (TCellAddress{-1, -1}));

  // Column by column: the leftmost column with a hit wins, then its topmost row.
  grid.WriteCell(2, 1, "key");
  grid.WriteCell(0, 5, "KEY");
  grid.WriteCell(0, 7, "key");
  EXPECT_EQ(grid.LocateText("Key"), (TCellAddress{0, 5}));

  // Texts past the counts are not searched.
  grid.WriteCell(0, 12, "far");
  EXPECT_EQ(grid.LocateText("far"), (TCellAddress{-1, -1}));
}

TEST(TableGridTest, LocateLeavesMultiByteCharactersAlone) {
  TTableGrid grid = DesignGrid();
  // GBK 0xD2 0x61 would become 0xD2 0x41 under a byte-wise mapping, and match the search for 0xD2 0x41.
  grid.WriteCell(0, 1, "\xD2\x61");
  grid.WriteCell(0, 2, "\x81\x30\x81\x61x");
  EXPECT_EQ(grid.LocateText("\xD2\x41"), (TCellAddress{-1, -1}));
  EXPECT_EQ(grid.LocateText("\xD2\x61"), (TCellAddress{0, 1}));
  EXPECT_EQ(grid.LocateText("\x81\x30\x81\x61X"), (TCellAddress{0, 2}));
}

TEST(TableGridTest, LocateHeaderRowAndEmptyCells) {
  TTableGrid grid = DesignGrid();
  grid.WriteCell(0, 0, "Name");
  EXPECT_EQ(grid.LocateText("name"), (TCellAddress{-1, -1}));
  EXPECT_EQ(grid.LocateText("\"\""), (TCellAddress{0, 1}));
  FillRows(grid, 10);
  grid.WriteCell(1, 1, "x");
  EXPECT_EQ(grid.LocateText("\"\""), (TCellAddress{1, 2}));

  grid.SetRowCount(2);
  grid.RemoveRowsAt(1, 1);
  EXPECT_EQ(grid.FixedRows(), 0);
  EXPECT_EQ(grid.LocateText("r0"), (TCellAddress{0, 0}));
}

// The first empty cell of the search area as the plain scan over every cell finds it.
TCellAddress FirstEmptyCellByScan(const TTableGrid& grid) {
  for (int col = grid.FixedCols(); col < grid.ColCount(); ++col) {
    for (int row = grid.FixedRows(); row < grid.RowCount(); ++row) {
      if (grid.CellText(col, row).empty()) return {col, row};
    }
  }
  return {};
}

TEST(TableGridTest, EmptyCellSearchAgreesWithThePlainScan) {
  std::mt19937 random(7);
  const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  for (int round = 0; round < 3000; ++round) {
    TTableGrid grid;
    grid.SetColCount(pick(1, 6));
    grid.SetRowCount(pick(1, 8));
    grid.SetFixedCols(pick(0, grid.ColCount() - 1));
    grid.SetFixedRows(pick(0, grid.RowCount() - 1));
    // Mostly full grids, so the first gap lies anywhere; some texts past the counts too.
    const int fill = pick(50, 100);
    for (int r = 0; r < grid.RowCount() + 2; ++r) {
      for (int c = 0; c < grid.ColCount() + 2; ++c) {
        if (pick(1, 100) <= fill) grid.WriteCell(c, r, "x");
      }
    }
    ASSERT_EQ(grid.LocateText("\"\""), FirstEmptyCellByScan(grid)) << "round " << round;
  }
}

TEST(TableGridTest, EmptyCellSearchCostFollowsTheTexts) {
  TTableGrid grid = DesignGrid();
  grid.SetColCount(TTableGrid::kMaxCount);
  grid.SetRowCount(2001);
  // Full columns 0..99 over every body row but one gap in column 50; the rest of the columns hold nothing.
  for (int r = 1; r <= 2000; ++r) {
    for (int c = 0; c < 100; ++c) {
      if (c != 50 || r != 1500) grid.WriteCell(c, r, "x");
    }
  }
  EXPECT_EQ(grid.LocateText("\"\""), (TCellAddress{50, 1500}));
  grid.WriteCell(50, 1500, "x");
  EXPECT_EQ(grid.LocateText("\"\""), (TCellAddress{100, 1}));
}

TEST(TableGridTest, InsertAtFocusedRow) {
  TTableGrid grid = DesignGrid();
  FillRows(grid, 10);
  grid.SetRowHeight(3, 30);
  grid.SetFocusedCell(0, 3);
  std::vector<TCellBox> boxes;
  grid.OnCellsChanged = [&](const TCellBox& box) { boxes.push_back(box); };
  grid.InsertRowsAt(grid.FocusedRow(), 1);
  EXPECT_EQ(grid.RowCount(), 11);
  EXPECT_EQ(grid.ReadCell(0, 3), "");
  EXPECT_EQ(grid.RowHeight(3), 21);
  EXPECT_EQ(grid.RowHeight(4), 30);
  EXPECT_EQ(grid.ReadCell(0, 4), "r3");
  EXPECT_EQ(grid.ReadCell(0, 10), "r9");
  EXPECT_EQ(grid.FocusedRow(), 3);
  EXPECT_EQ(boxes, (std::vector<TCellBox>{{{0, 3}, {4, 10}}})) << "the new row and every row it pushed down";
}

TEST(TableGridTest, InsertOverwritesKeptRowsButNotKeptColumns) {
  TTableGrid grid = DesignGrid();
  grid.SetRowCount(5);
  FillRows(grid, 5);
  grid.WriteCell(0, 5, "kept just past the end");
  grid.WriteCell(0, 7, "kept further out");
  grid.WriteCell(6, 2, "kept column");
  grid.WriteCell(6, 5, "kept column past the end");
  grid.InsertRowsAt(1, 1);
  EXPECT_EQ(grid.ReadCell(0, 5), "r4");
  EXPECT_EQ(grid.ReadCell(0, 7), "kept further out");
  EXPECT_EQ(grid.ReadCell(6, 2), "kept column");
  EXPECT_EQ(grid.ReadCell(6, 3), "");
  EXPECT_EQ(grid.ReadCell(6, 5), "kept column past the end");
  EXPECT_THROW(grid.InsertRowsAt(1, 134217725), EInvalidGridOperation);
  EXPECT_EQ(grid.RowCount(), 6);
}

TEST(TableGridTest, RemoveKeepsRemovedRowsPastTheEnd) {
  TTableGrid grid = DesignGrid();
  FillRows(grid, 10);
  grid.WriteCell(0, 12, "kept");
  grid.SetFocusedCell(0, 3);
  grid.RemoveRowsAt(grid.FocusedRow(), 1);
  EXPECT_EQ(grid.RowCount(), 9);
  EXPECT_EQ(grid.ReadCell(0, 3), "r4");
  EXPECT_EQ(grid.FocusedRow(), 3);
  EXPECT_EQ(grid.ReadCell(0, 12), "kept");
  grid.SetFocusedCell(0, 5);
  grid.RemoveRowsAt(5, 1);  // removes r6
  grid.SetRowCount(10);
  EXPECT_EQ(grid.ReadCell(0, 8), "r6");
  EXPECT_EQ(grid.ReadCell(0, 9), "r3");
  EXPECT_EQ(grid.ReadCell(0, 12), "kept");

  grid.SetFocusedCell(0, 9);
  grid.RemoveRowsAt(9, 1);
  EXPECT_EQ(grid.FocusedRow(), 8) << "removing the last row moves the focus to the new last row";

  TTableGrid several = DesignGrid();
  FillRows(several, 10);
  several.RemoveRowsAt(2, 3);
  EXPECT_EQ(several.ReadCell(0, 2), "r5");
  several.SetRowCount(10);
  EXPECT_EQ(several.ReadCell(0, 7), "r4");
  EXPECT_EQ(several.ReadCell(0, 9), "r2");
}

TEST(TableGridTest, RemovingTheOnlyBodyRowUnfixesTheHeader) {
  TTableGrid grid = HeaderAndOneRow("header", "body");
  grid.RemoveRowsAt(1, 1);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.FixedRows(), 0);
  EXPECT_EQ(grid.FocusedCol(), 0);
  EXPECT_EQ(grid.FocusedRow(), 0);
  EXPECT_EQ(grid.ReadCell(0, 0), "header");
  grid.RemoveRowsAt(0, 1);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.ReadCell(0, 0), "header");
  grid.SetRowCount(2);
  EXPECT_EQ(grid.ReadCell(0, 1), "body");
  EXPECT_EQ(grid.FixedRows(), 0);
}

TEST(TableGridTest, RemoveScrollsBackAndResumesPaintingOnce) {
  TTableGrid grid = DesignGrid();
  grid.SetRowCount(30);
  grid.SetTopLeft(0, 20);
  grid.SetFocusedCell(0, 25);
  int layouts = 0;
  grid.OnLayoutChanged = [&] { ++layouts; };
  grid.RemoveRowsAt(25, 1);
  grid.ScrollUpAfterRemoval(std::min(10, grid.RowCount() - grid.TopRow()));
  EXPECT_EQ(grid.RowCount(), 29);
  EXPECT_EQ(grid.TopRow(), 19);
  EXPECT_EQ(grid.Updating(), false);
  EXPECT_EQ(layouts, 2);  // the removal as a whole, then the scroll
}

bool HasMap(const TTableGrid& grid, int row) {
  try {
    grid.ReadCell(-1, row);
  } catch (const EListError&) {
    return true;
  }
  return false;
}

TEST(TableGridTest, RowMapsDecideNegativeColumns) {
  struct Case {
    const char* name;
    std::function<void(TTableGrid&)> change;
    std::vector<int> mapped;  // among rows 0..14
  };
  const std::vector<Case> cases = {
      {"fresh grid", [](TTableGrid&) {}, {}},
      {"text written and deleted",
       [](TTableGrid& g) {
         g.WriteCell(1, 3, "x");
         g.WriteCell(1, 3, "");
       },
       {3}},
      {"empty text on a fresh row", [](TTableGrid& g) { g.WriteCell(2, 4, ""); }, {4}},
      {"a batch maps the rows of all its writes",
       [](TTableGrid& g) {
         // Large enough to go as a batch; row 9's writes are all left out.
         std::vector<TCellStore::Write> writes = {{1, 5, "x"}, {0, 6, ""}, {2, 6, "y"}};
         for (int col = 0; col < 61; ++col) writes.push_back({col, 9, ""});
         g.WriteCells(writes, [](std::size_t i, std::string_view) { return i < 3; });
       },
       {5, 6, 9}},
      {"write past the counts", [](TTableGrid& g) { g.WriteCell(9, 12, ""); }, {12}},
      {"insertion maps every row from there to the end, not further",
       [](TTableGrid& g) {
         g.WriteCell(0, 13, "kept further out");
         g.InsertRowsAt(3, 2);
       },
       {3, 4, 5, 6, 7, 8, 9, 10, 11, 13}},
      {"removal moves the maps up with the texts",
       [](TTableGrid& g) {
         g.WriteCell(0, 2, "");
         g.WriteCell(0, 5, "five");
         g.WriteCell(0, 11, "kept past the end");
         g.RemoveRowsAt(1, 1);
       },
       {1, 4, 11}},
      {"a removed row's map reappears at the end",
       [](TTableGrid& g) {
         g.WriteCell(0, 2, "");
         g.RemoveRowsAt(2, 1);
         g.SetRowCount(10);
       },
       {9}},
      {"removing the only row keeps its map",
       [](TTableGrid& g) {
         g.SetRowCount(1);
         g.WriteCell(0, 0, "");
         g.RemoveRowsAt(0, 1);
       },
       {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTableGrid grid = DesignGrid();
    c.change(grid);
    for (int row = 0; row < 15; ++row) {
      const bool expected = std::find(c.mapped.begin(), c.mapped.end(), row) != c.mapped.end();
      EXPECT_EQ(HasMap(grid, row), expected) << "row " << row;
    }
  }
  TTableGrid grid = DesignGrid();
  grid.WriteCell(0, 3, "");
  EXPECT_EQ(ErrorOf([&] { grid.ReadCell(-7, 3); }), "列表索引越界 (-7)");
  EXPECT_EQ(ErrorOf([&] { grid.ReadCell(-7, -2); }), "列表索引越界 (-2)") << "a negative row always raises first";
}

// The insertion and removal steps cell by cell, as plain loops over a map of texts and a set of mapped rows.
struct PlainGrid {
  int rows = 10;
  int cols = 5;
  std::map<std::pair<int, int>, std::string> texts;  // (row, column)
  std::set<int> mapped;

  void Write(int col, int row, const std::string& text) {
    if (text.empty()) {
      texts.erase({row, col});
    } else {
      texts[{row, col}] = text;
    }
    mapped.insert(row);
  }
  void Insert(int row, int count) {
    rows += count;
    for (int i = rows - 1; i >= row + count; --i) {
      for (int c = 0; c < cols; ++c) {
        const auto from = texts.find({i - count, c});
        Write(c, i, from == texts.end() ? std::string() : from->second);
      }
    }
    for (int i = row; i < row + count; ++i) {
      for (int c = 0; c < cols; ++c) Write(c, i, "");
    }
  }
  void Remove(int row, int count) {
    for (int step = 0; step < count && row < rows; ++step) {
      const int last = rows - 1;
      std::map<std::pair<int, int>, std::string> moved;
      for (const auto& [at, text] : texts) {
        const int r = at.first == row ? last : at.first > row && at.first <= last ? at.first - 1 : at.first;
        moved[{r, at.second}] = text;
      }
      texts = std::move(moved);
      std::set<int> movedMaps;
      for (const int r : mapped) movedMaps.insert(r == row ? last : r > row && r <= last ? r - 1 : r);
      mapped = std::move(movedMaps);
      rows = std::max(rows - 1, 1);
    }
  }
};

TEST(TableGridTest, RowMapsAndTextsFollowThePlainStepsUnderRandomOperations) {
  std::mt19937 random(5);
  const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  for (int round = 0; round < 200; ++round) {
    TTableGrid grid = DesignGrid();
    PlainGrid plain;
    for (int step = 0; step < 40; ++step) {
      switch (pick(0, 5)) {
        case 0:
        case 1: {
          const int col = pick(0, plain.cols + 1);
          const int row = pick(0, plain.rows + 2);
          const std::string text = pick(0, 2) == 0 ? std::string() : Label("t", step);
          grid.WriteCell(col, row, text);
          plain.Write(col, row, text);
          break;
        }
        case 2: {
          const int row = pick(0, plain.rows - 1);
          const int count = pick(1, 2);
          if (plain.rows + count > 16) break;
          grid.InsertRowsAt(row, count);
          plain.Insert(row, count);
          break;
        }
        case 3: {
          const int row = pick(0, plain.rows - 1);
          const int count = pick(1, 3);
          grid.RemoveRowsAt(row, count);
          plain.Remove(row, count);
          break;
        }
        case 4:
          plain.rows = std::max(pick(-1, 14), 1);
          grid.SetRowCount(plain.rows);
          break;
        default:
          plain.cols = pick(1, 5);
          grid.SetColCount(plain.cols);
          break;
      }
      ASSERT_EQ(grid.RowCount(), plain.rows);
      for (int row = 0; row < 20; ++row) {
        ASSERT_EQ(HasMap(grid, row), plain.mapped.count(row) > 0) << "round " << round << " step " << step;
        for (int col = 0; col < 8; ++col) {
          const auto it = plain.texts.find({row, col});
          ASSERT_EQ(grid.ReadCell(col, row), it == plain.texts.end() ? "" : it->second)
              << "round " << round << " step " << step << " cell " << col << "," << row;
        }
      }
    }
  }
}

TEST(TableGridTest, RowOperationsCostFollowStoredTexts) {
  TTableGrid grid = DesignGrid();
  grid.SetRowCount(TTableGrid::kMaxCount - 1);
  for (int i = 0; i < 300; ++i) grid.WriteCell(i % 5, i * 400000, Label("t", i));
  grid.InsertRowsAt(1, 1);
  EXPECT_TRUE(HasMap(grid, TTableGrid::kMaxCount - 1)) << "every row below the insertion has a map";
  grid.RemoveRowsAt(1, 1);
  grid.RemoveRowsAt(2, 1);
  EXPECT_EQ(grid.RowCount(), TTableGrid::kMaxCount - 2);
  EXPECT_EQ(grid.ReadCell(1, 399999), "t1") << "row 400000 moved up by one";
  EXPECT_EQ(grid.LocateText("T299"), (TCellAddress{4, 299 * 400000 - 1}));
  EXPECT_EQ(grid.StoredCellCount(), 300u);
}

// Writes out of order or twice to one cell go one by one, in their order, through the same filter.
TEST(TableGridTest, UnsortedBatchWritesAsOneByOne) {
  TTableGrid grid = DesignGrid();
  grid.WriteCell(1, 2, "old");
  const std::vector<TCellStore::Write> writes = {{1, 3, "a"}, {1, 2, "b"}, {1, 3, "c"}, {2, 2, "skip"}};
  std::vector<std::string> seen;
  grid.WriteCells(writes, [&](std::size_t i, std::string_view before) {
    seen.push_back(std::string(before));
    return i != 3;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"", "old", "a", ""}));
  EXPECT_EQ(grid.ReadCell(1, 3), "c");
  EXPECT_EQ(grid.ReadCell(1, 2), "b");
  EXPECT_EQ(grid.ReadCell(2, 2), "");
}

TEST(TableGridTest, ColumnTextsAreVisitedInRowOrderWithinTheRange) {
  TTableGrid grid;
  grid.SetRowCount(TTableGrid::kMaxCount);
  grid.WriteCell(0, 0, "header");
  grid.WriteCell(0, 70000000, "last");
  grid.WriteCell(1, 5, "other column");
  grid.WriteCell(0, 5, "first");
  grid.WriteCell(2, 9, "x");
  grid.WriteCell(0, 9, "x");
  grid.WriteCell(0, 9, "");  // deleted again: not visited
  grid.SetRowCount(80000000);
  grid.WriteCell(0, 90000000, "kept past the end");

  std::vector<std::pair<int, std::string>> seen;
  grid.ForEachTextInColumn(0, 1, grid.RowCount(),
                           [&](int row, std::string_view text) { seen.emplace_back(row, std::string(text)); });
  EXPECT_EQ(seen, (std::vector<std::pair<int, std::string>>{{5, "first"}, {70000000, "last"}}));
}

}  // namespace
}  // namespace metrazil
