#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "grid/model/GridUndoStep.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

// The undo and redo list of one table. Bounded: at most kMaxSteps steps, and at most kMaxTextBytes bytes of
// texts held by the steps on both lists; the oldest steps go first, and a single step larger than the byte
// bound is not kept at all. A new step drops what was undone. A table read clears it.
class TGridUndoStack {
 public:
  static constexpr std::size_t kMaxSteps = 100;
  static constexpr std::size_t kMaxTextBytes = std::size_t{64} << 20;

  void Push(TGridUndoStep step);
  void Clear();

  bool CanUndo() const { return !done_.empty(); }
  bool CanRedo() const { return !undone_.empty(); }
  std::size_t UndoCount() const { return done_.size(); }
  std::size_t RedoCount() const { return undone_.size(); }
  std::size_t TextBytes() const { return textBytes_; }

  // Takes the last step back on grid (or makes the last undone step again) and returns it, so that the
  // caller can show the user where it happened; nullptr when there is none. A step that throws half-way
  // stays where it was.
  const TGridUndoStep* Undo(TTableGrid& grid);
  const TGridUndoStep* Redo(TTableGrid& grid);

 private:
  void Trim();
  // Takes the last step of `from` back (undo) or makes it again, and puts it on `to`.
  static const TGridUndoStep* Move(TTableGrid& grid, std::deque<TGridUndoStep>& from, std::deque<TGridUndoStep>& to,
                                   bool undo);

  std::deque<TGridUndoStep> done_;
  std::deque<TGridUndoStep> undone_;
  std::size_t textBytes_ = 0;
};

// Changes made through these are recorded: each makes its change on the grid and returns the step.
//
// Rows and columns added get the design's height and width, whatever a zoom made of the defaults.
TGridUndoStep AppendRow(TTableGrid& grid);
TGridUndoStep AppendColumn(TTableGrid& grid);
// A row inserted above the focused one; a grid at kMaxCount rows raises as InsertRowsAt does.
TGridUndoStep InsertRowAt(TTableGrid& grid, int row);
TGridUndoStep RemoveRowAt(TTableGrid& grid, int row);
// Grows the counts to at least rowCount and colCount, then writes every change's `after` text, filling in
// its `before`; changes that write what the cell already holds are dropped.
TGridUndoStep WriteTexts(TTableGrid& grid, std::vector<TGridCellChange> changes, int rowCount, int colCount);
// A text already written to a cell that held `before` (an edit that ended).
TGridUndoStep TextWritten(const TTableGrid& grid, int col, int row, std::string before);
// A width the user set on a column.
TGridUndoStep ChangeColWidth(TTableGrid& grid, int col, int width);

}  // namespace metrazil
