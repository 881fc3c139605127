#pragma once

#include "grid/layout/BlockText.h"
#include "grid/model/GridUndoStack.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

// Block commands over the rectangle between two corners of a selection, in either order. The header rows
// are never written: the selection lies in the body, so its rectangle starts below them.
//
// Pastes the block with the rectangle's top-left cell as its corner. One text fills every cell of the
// rectangle; a larger block grows the row count as needed, and the column count only with growCols (on a
// table whose columns have fixed meanings the fields past the last column are dropped). A count past
// TTableGrid::kMaxCount raises EInvalidGridOperation before anything is written. Empty fields clear
// their cells, as in a spreadsheet. Returns the change as one step.
TGridUndoStep PasteBlock(TTableGrid& grid, const TBlockText& block, TCellAddress corner, TCellAddress opposite,
                         bool growCols);
// Empties every cell of the rectangle, as one step.
TGridUndoStep ClearBlock(TTableGrid& grid, TCellAddress corner, TCellAddress opposite);

}  // namespace metrazil
