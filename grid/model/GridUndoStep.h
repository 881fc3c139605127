#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "grid/model/CellStore.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

// One cell's text before and after a change.
struct TGridCellChange {
  int col = 0;
  int row = 0;
  std::string before;
  std::string after;
};

// One cell's text.
struct TGridCellText {
  int col = 0;
  int row = 0;
  std::string text;
};

// One column's width before and after a drag or a fit.
struct TGridWidthChange {
  int col = 0;
  int before = 0;
  int after = 0;
};

// The kinds of change a user makes, each holding exactly what taking it back (Undo) and making it again
// (Redo) need, as plain values. Redo expects the grid as it was before the change and leaves it as the edit
// that recorded the step did; Undo expects the grid as that left it and puts it back.

// Cells written (an edit, a paste, a clear) in the order given, and the counts grown to hold them first; an
// added row or column is such a change without texts.
struct TGridTextsWritten {
  // Loops over the changes of a block command tell the grid they are busy every so many.
  static constexpr std::size_t kChangesPerBusy = 65536;

  std::vector<TGridCellChange> texts;
  int rowsBefore = 0;
  int rowsAfter = 0;
  int colsBefore = 0;
  int colsAfter = 0;

  // Grows the counts to the after counts, new rows and columns at the design's sizes, then writes each
  // change's `after`; `filter` as TTableGrid::WriteCells takes it.
  void Redo(TTableGrid& grid, const TCellStore::TWriteFilter& filter = {}) const;
  void Undo(TTableGrid& grid) const;
  std::size_t TextBytes() const;
  bool ChangesNothing() const;
};

// Rows inserted at `row`, at the design's height.
struct TGridRowsInserted {
  int row = 0;
  int count = 0;
  // What the undo puts back: the texts just past the old end that the new rows pushed out, and those past
  // the last column from the insertion on, which stay put as rows move.
  std::vector<TGridCellText> lostTexts;

  void Redo(TTableGrid& grid) const;
  void Undo(TTableGrid& grid) const;
  std::size_t TextBytes() const;
  bool ChangesNothing() const { return count < 1; }
};

// Rows removed at `row`. Their texts wait past the end, where the grid keeps them; the undo gives back
// their heights (top first) and the header, which removing the only body row takes away.
struct TGridRowsRemoved {
  int row = 0;
  int count = 0;
  int fixedRowsBefore = 0;
  std::vector<int> heights;

  void Redo(TTableGrid& grid) const;
  void Undo(TTableGrid& grid) const;
  std::size_t TextBytes() const { return 0; }
  bool ChangesNothing() const { return count < 1; }
};

// Column widths dragged or fitted.
struct TGridColWidthsChanged {
  std::vector<TGridWidthChange> widths;

  void Redo(TTableGrid& grid) const;
  void Undo(TTableGrid& grid) const;
  std::size_t TextBytes() const { return 0; }
  bool ChangesNothing() const;
};

// One change a user made to a table, holding only what the change touched (never a copy of the table), so
// that TGridUndoStack can take it back and make it again.
struct TGridUndoStep {
  using TChange = std::variant<TGridTextsWritten, TGridRowsInserted, TGridRowsRemoved, TGridColWidthsChanged>;

  TChange change;
  // Where the user is taken when the step is undone or redone, and the other corner of the block it touched.
  TCellAddress focus;
  TCellAddress blockEnd;
  // Given by the undo list when the step is recorded, counting up through the program's run: tells a step
  // undone or redone later from the others (see TGridUndoStack::Replay). 0 until recorded.
  std::uint64_t id = 0;

  void Redo(TTableGrid& grid) const;
  void Undo(TTableGrid& grid) const;
  // The bytes of text the step holds, for the stack's bound.
  std::size_t TextBytes() const;
  // Whether taking the step back would change nothing (an edit that wrote what was there, a width as it was).
  bool ChangesNothing() const;
};

}  // namespace metrazil
