#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "grid/model/TableGrid.h"

namespace metrazil {

// One cell's text before and after a change.
struct TGridCellChange {
  int col = 0;
  int row = 0;
  std::string before;
  std::string after;
};

// One column's width before and after a drag or a fit.
struct TGridWidthChange {
  int col = 0;
  int before = 0;
  int after = 0;
};

// One change a user made to a table, holding only what the change touched (never a copy of the table), so
// that TGridUndoStack can take it back and make it again.
struct TGridUndoStep {
  enum class TKind {
    kTexts,       // cells written (an edit, a paste, a clear), and the counts grown to hold them
    kInsertRows,  // rows inserted at row
    kRemoveRows,  // rows removed at row
    kColWidths,   // column widths dragged or fitted
  };

  TKind kind = TKind::kTexts;
  // kTexts: the texts in the order written; the counts around the change (an added row or column is a
  // kTexts step without texts).
  std::vector<TGridCellChange> texts;
  int rowsBefore = 0;
  int rowsAfter = 0;
  int colsBefore = 0;
  int colsAfter = 0;
  // kInsertRows, kRemoveRows.
  int row = 0;
  int count = 0;
  int fixedRowsBefore = 0;
  // kRemoveRows: the removed rows' heights, top first.
  std::vector<int> heights;
  // kInsertRows: the texts the undo puts back (after is empty): those just past the old end that the new
  // rows pushed out, and those past the last column from the insertion on, which stay put as rows move.
  std::vector<TGridCellChange> lostTexts;
  // kColWidths.
  std::vector<TGridWidthChange> widths;
  // Where the user is taken when the step is undone or redone, and the other corner of the block it touched.
  TCellAddress focus;
  TCellAddress blockEnd;

  // The bytes of text the step holds, for the stack's bound.
  std::size_t TextBytes() const;
  // Whether taking the step back would change nothing (an edit that wrote what was there, a width as it was).
  bool ChangesNothing() const;
};

}  // namespace metrazil
