#pragma once

#include "grid/model/TableDesign.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

// A grid as the main window sets up both tables.
inline TTableGrid DesignGrid() {
  TTableGrid grid;
  SetDesignState(grid);
  return grid;
}

// A design grid of its header row and one body row, a text in each: the table whose last body row a removal
// takes.
inline TTableGrid HeaderAndOneRow(const char* header, const char* body) {
  TTableGrid grid = DesignGrid();
  grid.SetRowCount(2);
  grid.WriteCell(0, 0, header);
  grid.WriteCell(0, 1, body);
  return grid;
}

}  // namespace metrazil
