#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "grid/file/TableFileWriter.h"
#include "grid/model/GridEdits.h"
#include "grid/model/GridUndoStack.h"
#include "tests/support/DesignGrid.h"

namespace metrazil {
namespace {

// Built by appending: GCC 12 warns falsely on a literal + std::string.
std::string Label(std::string prefix, int n) { return prefix.append(std::to_string(n)); }

using TStored = std::map<std::pair<int, int>, std::string>;

// Every stored text, those past the counts included: what a later count change would bring back.
TStored StoredTexts(const TTableGrid& grid) {
  TStored stored;
  grid.ForEachStoredRow(0, TTableGrid::kMaxCount, [&](int row, std::span<const TCellStore::Cell> cells) {
    for (const TCellStore::Cell& cell : cells) stored[{cell.col, row}] = std::string(cell.Text());
    return true;
  });
  return stored;
}

// A table with a header, some body texts, a wide column, a text past the last column and a removed row's
// texts waiting past the end.
TTableGrid Fixture() {
  TTableGrid grid = DesignGrid();
  for (int col = 0; col < 5; ++col) grid.WriteCell(col, 0, Label("h", col));
  for (int row = 1; row < 10; ++row) {
    grid.WriteCell(0, row, Label("r", row));
    grid.WriteCell(2, row, Label("\xd6\xd0", row));
  }
  grid.SetColWidth(1, 90);
  grid.WriteCell(6, 5, "hidden");  // past the column count, as a file may hold
  grid.RemoveRowsAt(4, 1);         // "r4" now waits just past the end
  grid.SetFocusedCell(1, 3);
  return grid;
}

struct TChangeCase {
  const char* name;
  std::function<TGridUndoStep(TTableGrid&)> change;
};

TEST(GridUndoStackTest, EveryChangeUndoesToTheSameBytesAndRedoes) {
  const std::vector<TChangeCase> cases = {
      {"edit",
       [](TTableGrid& g) {
         return WriteTexts(g, {{1, 2, {}, "new"}}, 0, 0);
       }},
      {"header edit",
       [](TTableGrid& g) {
         return WriteTexts(g, {{3, 0, {}, "head"}}, 0, 0);
       }},
      {"clear a block",
       [](TTableGrid& g) {
         return WriteTexts(g, {{0, 1, {}, {}}, {2, 1, {}, {}}, {0, 2, {}, {}}}, 0, 0);
       }},
      {"paste growing both counts",
       [](TTableGrid& g) {
         return WriteTexts(g, {{4, 8, {}, "a"}, {5, 9, {}, "b"}, {6, 10, {}, "c"}}, 11, 7);
       }},
      // Large blocks are written as one batch: over stored and empty cells, some already as pasted, rows grown.
      {"paste a large block",
       [](TTableGrid& g) {
         std::vector<TGridCellChange> changes;
         for (int row = 1; row <= 40; ++row) {
           for (int col = 0; col < 4; ++col) {
             changes.push_back({col, row, {}, col == 0 ? Label("r", row) : col == 1 ? std::string() : Label("p", row)});
           }
         }
         TGridUndoStep step = WriteTexts(g, std::move(changes), 41, 0);
         // Columns 2 and 3, and column 0 but for rows 1 to 3, which hold what is pasted; column 1 stays empty.
         EXPECT_EQ(std::get<TGridTextsWritten>(step.change).texts.size(), 40u * 2 + 37);
         return step;
       }},
      {"clear a large block",
       [](TTableGrid& g) {
         std::vector<TGridCellChange> changes;
         for (int row = 1; row <= 20; ++row) {
           for (int col = 0; col < 5; ++col) changes.push_back({col, row, {}, {}});
         }
         return WriteTexts(g, std::move(changes), 0, 0);
       }},
      {"add row", [](TTableGrid& g) { return AppendRow(g); }},
      {"add column", [](TTableGrid& g) { return AppendColumn(g); }},
      {"insert row", [](TTableGrid& g) { return InsertRowAt(g, 2); }},
      {"insert last row", [](TTableGrid& g) { return InsertRowAt(g, 8); }},
      {"remove row", [](TTableGrid& g) { return RemoveRowAt(g, 2); }},
      {"remove last row", [](TTableGrid& g) { return RemoveRowAt(g, 8); }},
      {"column width", [](TTableGrid& g) { return ChangeColWidth(g, 2, 150); }},
  };
  for (const TChangeCase& c : cases) {
    SCOPED_TRACE(c.name);
    TTableGrid grid = Fixture();
    const std::string bytesBefore = TableFileBytes(grid);
    const TStored storedBefore = StoredTexts(grid);
    TGridUndoStep step = c.change(grid);
    const std::string bytesAfter = TableFileBytes(grid);
    const TStored storedAfter = StoredTexts(grid);
    ASSERT_NE(bytesAfter, bytesBefore);
    // The step alone makes the change again on another copy of the table.
    TTableGrid replayed = Fixture();
    step.Redo(replayed);
    EXPECT_EQ(TableFileBytes(replayed), bytesAfter);
    EXPECT_EQ(StoredTexts(replayed), storedAfter);
    TGridUndoStack stack;
    stack.Push(std::move(step));
    for (int round = 0; round < 2; ++round) {
      ASSERT_NE(stack.Undo(grid), nullptr);
      EXPECT_EQ(TableFileBytes(grid), bytesBefore);
      EXPECT_EQ(StoredTexts(grid), storedBefore);
      EXPECT_EQ(stack.Undo(grid), nullptr);
      ASSERT_NE(stack.Redo(grid), nullptr);
      EXPECT_EQ(TableFileBytes(grid), bytesAfter);
      EXPECT_EQ(StoredTexts(grid), storedAfter);
      EXPECT_EQ(stack.Redo(grid), nullptr);
    }
  }
}

// A long table spans many store blocks; the insertion looks for texts past the last column only in the
// blocks that may hold one, and still finds them wherever they are.
TEST(GridUndoStackTest, InsertionInALongTableKeepsTextsPastTheLastColumn) {
  for (const int hiddenRow : {3, 1500, 2999}) {
    SCOPED_TRACE(hiddenRow);
    TTableGrid grid = DesignGrid();
    grid.SetRowCount(3000);
    for (int row = 1; row < 3000; ++row) grid.WriteCell(0, row, Label("r", row));
    grid.WriteCell(7, hiddenRow, "hidden");
    const std::string bytesBefore = TableFileBytes(grid);
    const TStored storedBefore = StoredTexts(grid);
    TGridUndoStack stack;
    stack.Push(InsertRowAt(grid, 1));
    ASSERT_NE(stack.Undo(grid), nullptr);
    EXPECT_EQ(TableFileBytes(grid), bytesBefore);
    EXPECT_EQ(StoredTexts(grid), storedBefore);
  }
}

TEST(GridUndoStackTest, RemovedRowsComeBackWithTheirTextsInOrder) {
  // Several removals undone one by one, then a row added: exactly what the table would show had nothing
  // been removed.
  TTableGrid grid = Fixture();
  TTableGrid untouched = Fixture();
  TGridUndoStack stack;
  for (const int row : {1, 5, 1, 6}) stack.Push(RemoveRowAt(grid, row));
  while (stack.Undo(grid) != nullptr) {
  }
  EXPECT_EQ(TableFileBytes(grid), TableFileBytes(untouched));
  stack.Push(AppendRow(grid));
  AppendRow(untouched);
  EXPECT_EQ(TableFileBytes(grid), TableFileBytes(untouched));
  EXPECT_EQ(grid.ReadCell(0, 9), "r4");
}

TEST(GridUndoStackTest, RemovingTheOnlyBodyRowUndoesTheHeaderToo) {
  TTableGrid grid = HeaderAndOneRow("h", "b");
  const std::string before = TableFileBytes(grid);
  TGridUndoStack stack;
  stack.Push(RemoveRowAt(grid, 1));
  ASSERT_EQ(grid.FixedRows(), 0);
  stack.Undo(grid);
  EXPECT_EQ(grid.FixedRows(), 1);
  EXPECT_EQ(TableFileBytes(grid), before);
}

TEST(GridUndoStackTest, NewStepDropsRedoAndNoOpsAreNotSteps) {
  TTableGrid grid = Fixture();
  TGridUndoStack stack;
  stack.Push(WriteTexts(grid, {{1, 1, {}, "x"}}, 0, 0));
  stack.Push(WriteTexts(grid, {{1, 1, {}, "x"}}, 0, 0));  // writes what is there
  stack.Push(ChangeColWidth(grid, 1, grid.ColWidth(1)));
  EXPECT_EQ(stack.UndoCount(), 1u);
  stack.Undo(grid);
  EXPECT_TRUE(stack.CanRedo());
  stack.Push(WriteTexts(grid, {{1, 2, {}, "y"}}, 0, 0));
  EXPECT_FALSE(stack.CanRedo());
  stack.Clear();
  EXPECT_FALSE(stack.CanUndo());
  EXPECT_EQ(stack.TextBytes(), 0u);
}

TEST(GridUndoStackTest, BoundedByStepsAndTextBytesOldestFirst) {
  TTableGrid grid = DesignGrid();
  TGridUndoStack stack;
  for (int i = 0; i < 150; ++i) stack.Push(WriteTexts(grid, {{0, 1, {}, std::to_string(i)}}, 0, 0));
  EXPECT_EQ(stack.UndoCount(), TGridUndoStack::kMaxSteps);
  while (stack.Undo(grid) != nullptr) {
  }
  EXPECT_EQ(grid.ReadCell(0, 1), "49");  // the oldest fifty were dropped

  stack.Clear();
  const std::string megabyte(std::size_t{1} << 20, 'm');
  for (int i = 0; i < 40; ++i) stack.Push(WriteTexts(grid, {{0, 1, {}, Label(megabyte, i)}}, 0, 0));
  // Each step holds the old and the new text, about 2 MB.
  EXPECT_LE(stack.TextBytes(), TGridUndoStack::kMaxTextBytes);
  EXPECT_LT(stack.UndoCount(), 40u);
  EXPECT_GE(stack.UndoCount(), 30u);

  const std::string huge(TGridUndoStack::kMaxTextBytes + 1, 'h');
  stack.Push(WriteTexts(grid, {{0, 2, {}, huge}}, 0, 0));
  EXPECT_FALSE(stack.CanUndo());
  EXPECT_EQ(stack.TextBytes(), 0u);
  EXPECT_EQ(grid.ReadCell(0, 2).size(), huge.size());
}

}  // namespace
}  // namespace metrazil
