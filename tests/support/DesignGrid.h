#pragma once

#include "grid/model/TableGrid.h"

namespace metrazil {

// A grid as the main window sets up both tables: no fixed column, so the focus starts on the first body cell.
inline TTableGrid DesignGrid() {
  TTableGrid grid;
  grid.SetFixedCols(0);
  return grid;
}

}  // namespace metrazil
