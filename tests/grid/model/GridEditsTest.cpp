#include <gtest/gtest.h>

#include <span>
#include <string>
#include <variant>
#include <vector>

#include "grid/file/TableFileWriter.h"
#include "grid/model/GridEdits.h"
#include "grid/model/GridUndoStack.h"
#include "grid/text/BlockText.h"
#include "tests/support/DesignGrid.h"
#include "tests/support/ErrorOf.h"

namespace metrazil {
namespace {

TEST(GridEditsTest, PastesAsASpreadsheetUserExpects) {
  struct Case {
    const char* name;
    const char* text;
    TCellAddress corner, opposite;
    bool growCols;
    std::vector<TGridCellChange> expected;  // col, row, -, text
    int rows, cols;
  };
  const std::vector<Case> cases = {
      {"block at the corner",
       "a\tb\nc\td\n",
       {1, 2},
       {1, 2},
       false,
       {{1, 2, {}, "a"}, {2, 2, {}, "b"}, {1, 3, {}, "c"}, {2, 3, {}, "d"}},
       10,
       5},
      {"corner is the top-left of the selection",
       "x\ty\n",
       {3, 5},
       {2, 4},
       false,
       {{2, 4, {}, "x"}, {3, 4, {}, "y"}},
       10,
       5},
      {"one text fills the selection",
       "z",
       {0, 1},
       {1, 2},
       false,
       {{0, 1, {}, "z"}, {1, 1, {}, "z"}, {0, 2, {}, "z"}, {1, 2, {}, "z"}},
       10,
       5},
      {"rows grow, empty fields clear",
       "\tq\n\t\n\tr\n",
       {0, 8},
       {0, 8},
       false,
       {{0, 8, {}, ""}, {1, 8, {}, "q"}, {1, 10, {}, "r"}},
       11,
       5},
      {"fields past the columns dropped",
       "1\t2\t3\n",
       {3, 1},
       {3, 1},
       false,
       {{3, 1, {}, "1"}, {4, 1, {}, "2"}, {5, 1, {}, ""}},
       10,
       5},
      {"columns grow when allowed",
       "1\t2\t3\n",
       {3, 1},
       {3, 1},
       true,
       {{3, 1, {}, "1"}, {4, 1, {}, "2"}, {5, 1, {}, "3"}},
       10,
       6},
      {"a selection reaching the header stays below it",
       "h",
       {0, 0},
       {0, 1},
       false,
       {{0, 0, {}, "head"}, {0, 1, {}, "h"}},
       10,
       5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTableGrid grid = DesignGrid();
    grid.WriteCell(0, 0, "head");
    grid.WriteCell(0, 8, "old");
    const std::string before = TableFileBytes(grid);
    TGridUndoStack stack;
    stack.Push(PasteBlock(grid, ParseBlockText(c.text), c.corner, c.opposite, c.growCols));
    for (const TGridCellChange& cell : c.expected) EXPECT_EQ(grid.ReadCell(cell.col, cell.row), cell.after);
    EXPECT_EQ(grid.RowCount(), c.rows);
    EXPECT_EQ(grid.ColCount(), c.cols);
    stack.Undo(grid);
    EXPECT_EQ(TableFileBytes(grid), before);
  }
}

TEST(GridEditsTest, PastePastTheGridLimitWritesNothing) {
  TTableGrid grid = DesignGrid();
  grid.SetRowCount(TTableGrid::kMaxCount);
  grid.WriteCell(0, TTableGrid::kMaxCount - 1, "last");
  EXPECT_EQ(ErrorOf([&] {
              PasteBlock(grid, ParseBlockText("a\nb\n"), {0, TTableGrid::kMaxCount - 1}, {0, TTableGrid::kMaxCount - 1},
                         false);
            }),
            "操作的网格太大");
  EXPECT_EQ(grid.ReadCell(0, TTableGrid::kMaxCount - 1), "last");
  EXPECT_EQ(grid.RowCount(), TTableGrid::kMaxCount);
}

TEST(GridEditsTest, ClearCostsTheStoredTextsOnly) {
  TTableGrid grid = DesignGrid();
  grid.SetRowCount(TTableGrid::kMaxCount);
  grid.WriteCell(1, 5, "a");
  grid.WriteCell(4, 100000000, "b");
  const TGridUndoStep step = ClearBlock(grid, {0, 0}, {4, TTableGrid::kMaxCount - 1});
  EXPECT_EQ(std::get<TGridTextsWritten>(step.change).texts.size(), 2u);
  EXPECT_EQ(grid.StoredCellCount(), 0u);
}

// Commands over many rows tell the grid now and then that they are busy, for a window to paint meanwhile;
// each time the grid is whole: every text either as before or as the command leaves it.
TEST(GridEditsTest, LongCommandsAreBusyBetweenWholeStates) {
  constexpr int kRows = 20000;
  TTableGrid grid = DesignGrid();
  grid.SetRowCount(kRows + 1);
  for (int row = 1; row <= kRows; ++row) grid.WriteCell(0, row, "old");
  std::string pasted;
  for (int row = 1; row <= kRows; ++row) pasted += "new\tnew\n";
  int calls = 0;
  const TTableGrid::TBusyScope busy(grid, [&] {
    ++calls;
    std::size_t cells = 0;
    grid.ForEachStoredRow(1, kRows + 1, [&](int, std::span<const TCellStore::Cell> row) {
      for (const TCellStore::Cell& cell : row) {
        ++cells;
        EXPECT_TRUE(cell.Text() == "old" || cell.Text() == "new");
      }
      return true;
    });
    EXPECT_GE(cells, static_cast<std::size_t>(kRows));
  });
  TGridUndoStack stack;
  stack.Push(PasteBlock(grid, ParseBlockText(pasted), {0, 1}, {0, 1}, false));
  EXPECT_GE(calls, 4);
  calls = 0;
  stack.Undo(grid);
  EXPECT_GE(calls, 4);
  EXPECT_EQ(grid.ReadCell(0, kRows), "old");
  EXPECT_EQ(grid.ReadCell(1, kRows), "");
}

}  // namespace
}  // namespace metrazil
