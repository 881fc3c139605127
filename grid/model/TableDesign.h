#pragma once

namespace metrazil {

class TTableGrid;

// The state the main window's design gives both tables: ten rows with a header row, five columns and no
// header column. New grids start with these counts and sizes; rows and columns added later get the sizes
// too, whatever a zoom made of the defaults.
inline constexpr int kDesignRowCount = 10;
inline constexpr int kDesignColCount = 5;
inline constexpr int kDesignFixedRows = 1;
inline constexpr int kDesignFixedCols = 0;
inline constexpr int kDesignRowHeight = 21;
inline constexpr int kDesignColWidth = 64;

// Gives a grid the design's counts, fixed rows and columns and row height; the focus goes to the first
// body cell. Cells and column widths stay as they are.
void SetDesignState(TTableGrid& grid);

}  // namespace metrazil
