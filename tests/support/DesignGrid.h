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

}  // namespace metrazil
