#pragma once

#include <string>
#include <vector>

#include "grid/model/CellBlock.h"
#include "grid/model/GridUndoStep.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

// The changes a user makes to a table. Each makes its change on the grid and returns it as the step that
// takes it back, for the table's TGridUndoStack.
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

// Block commands over the rectangle between two corners of a selection, in either order. The header rows
// are never written: the selection lies in the body, so its rectangle starts below them.
//
// Pastes the block with the rectangle's top-left cell as its corner. One text fills every cell of the
// rectangle; a larger block grows the row count as needed, and the column count only with growCols (on a
// table whose columns have fixed meanings the fields past the last column are dropped). A count past
// TTableGrid::kMaxCount raises EInvalidGridOperation before anything is written. Empty fields clear
// their cells, as in a spreadsheet.
TGridUndoStep PasteBlock(TTableGrid& grid, const TCellBlock& block, TCellAddress corner, TCellAddress opposite,
                         bool growCols);
// Empties every cell of the rectangle.
TGridUndoStep ClearBlock(TTableGrid& grid, TCellAddress corner, TCellAddress opposite);

}  // namespace metrazil
