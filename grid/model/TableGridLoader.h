#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "grid/model/TableGrid.h"

namespace metrazil {

// The one entry through which a table read fills a grid: counts, column widths and cells appended in file
// order, straight into the store. The cells stored are announced once, as the smallest box holding them, by
// Finish or, when the read stops half-way, by Abandon: a hook per cell would cost a million calls.
class TTableGridLoader {
 public:
  // Counts as a change of content from the start: texts go into the store without WriteCell.
  explicit TTableGridLoader(TTableGrid& grid) : grid_(grid) { ++grid_.contentRevision_; }
  TTableGridLoader(const TTableGridLoader&) = delete;
  TTableGridLoader& operator=(const TTableGridLoader&) = delete;

  int ColCount() const { return grid_.ColCount(); }
  int RowCount() const { return grid_.RowCount(); }
  // Through the count setters, columns first. Errors: EInvalidGridOperation.
  void SetCounts(int cols, int rows) {
    grid_.SetColCount(cols);
    grid_.SetRowCount(rows);
  }
  // col must lie inside the counts.
  void SetColWidth(int col, int width) { grid_.SetColWidth(col, width); }
  // Stores the text at (col, row), both inside the counts, replacing what was there.
  void Append(int col, int row, std::string_view text) {
    if (row != currentRow_) {
      if (cellsInRow_ > 0) rowCapacityHint_ = cellsInRow_;
      currentRow_ = row;
      cellsInRow_ = 0;
      grid_.rowMaps_.Add(row);
      from_.row = std::min(from_.row, row);
      to_.row = std::max(to_.row, row);
    }
    ++cellsInRow_;
    grid_.store_.Append(col, row, text, rowCapacityHint_);
    from_.col = std::min(from_.col, col);
    to_.col = std::max(to_.col, col);
  }

  // The read is complete: announces the cells stored, then the whole grid as changed.
  void Finish() {
    Abandon();
    grid_.CellRangeChanged(0, 0, grid_.ColCount(), grid_.RowCount());
  }
  // The read stopped: announces the cells stored so far.
  void Abandon() { grid_.CellsWritten(from_, to_); }

 private:
  TTableGrid& grid_;
  TCellAddress from_{TTableGrid::kMaxCount, TTableGrid::kMaxCount};
  TCellAddress to_{-1, -1};
  int currentRow_ = -1;
  std::size_t cellsInRow_ = 0;
  std::size_t rowCapacityHint_ = 1;
};

}  // namespace metrazil
