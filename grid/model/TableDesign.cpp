#include "grid/model/TableDesign.h"

#include "grid/model/TableGrid.h"

namespace metrazil {

void SetDesignState(TTableGrid& grid) {
  grid.SetFixedCols(kDesignFixedCols);
  grid.SetColCount(kDesignColCount);
  grid.SetRowCount(kDesignRowCount);
  grid.SetFixedRows(kDesignFixedRows);
  grid.SetDefaultRowHeight(kDesignRowHeight);
}

}  // namespace metrazil
