#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "grid/model/TableGrid.h"

namespace metrazil {

// The one entry through which a table read fills a grid: counts, column widths and cells appended in file
// order, straight into the store. It holds the grid's update open while it lives; the cells stored are
// announced as the smallest box holding them (a notice per cell would cost a million calls), by Announce as
// the read goes on and when the loader goes, the read complete or not.
class TTableGridLoader {
 public:
  // Counts as a change of content from the start: texts go into the store without WriteCell.
  explicit TTableGridLoader(TTableGrid& grid) : grid_(grid), update_(grid) { ++grid_.contentRevision_; }
  ~TTableGridLoader() { Announce(); }
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
      stored_.from.row = std::min(stored_.from.row, row);
      stored_.to.row = std::max(stored_.to.row, row);
    }
    ++cellsInRow_;
    grid_.store_.Append(col, row, text, rowCapacityHint_);
    stored_.from.col = std::min(stored_.from.col, col);
    stored_.to.col = std::max(stored_.to.col, col);
  }

  // The cells stored so far, for a flush of the grid's notices while the read goes on.
  void Announce() { grid_.CellsChanged(stored_); }

 private:
  TTableGrid& grid_;
  TTableGrid::TUpdateGuard update_;
  TCellBox stored_{{TTableGrid::kMaxCount, TTableGrid::kMaxCount}, {-1, -1}};  // empty until a cell comes
  int currentRow_ = -1;
  std::size_t cellsInRow_ = 0;
  std::size_t rowCapacityHint_ = 1;
};

}  // namespace metrazil
