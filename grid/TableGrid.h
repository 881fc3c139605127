#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/Exception.h"

namespace metrazil {

struct CellAddress {
  int col = -1;
  int row = -1;
  friend bool operator==(const CellAddress&, const CellAddress&) = default;
};

// The cell model behind both tables: counts, fixed rows and columns, focus, sizes and a sparse text store.
// Texts are byte strings exactly as in the table files (GB18030). All operations throw the exceptions of
// base/Exception.h and never catch them.
class TTableGrid {
 public:
  static constexpr int kMaxCount = 134217725;

  TTableGrid();

  int RowCount() const;
  void SetRowCount(int v);
  int ColCount() const;
  void SetColCount(int v);
  int FixedRows() const;
  void SetFixedRows(int v);
  int FixedCols() const;
  void SetFixedCols(int v);

  int FocusedCol() const;
  int FocusedRow() const;
  // Inside the counts, else EInvalidGridOperation "网格索引越界". Collapses the selection to the focus.
  void SetFocusedCell(int col, int row);

  int ColWidth(int col) const;
  void SetColWidth(int col, int width);

  std::string ReadCell(int col, int row) const;
  void WriteCell(int col, int row, std::string_view text);

  void InsertRowsAt(int row, int count);
  void RemoveRowsAt(int row, int count);
  // Returns {-1, -1} when nothing matches.
  CellAddress LocateText(std::string_view text, std::uint16_t options) const;

  void ReadTableFile(const std::string& path);
  void WriteTableFile(const std::string& path) const;
};

}  // namespace metrazil
