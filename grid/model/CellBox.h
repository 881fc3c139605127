#pragma once

#include <algorithm>

#include "grid/model/CellAddress.h"

namespace metrazil {

// The cells between two corners, both included: the selection, a block a command wrote, a box of cells that
// changed. The default box is empty.
struct TCellBox {
  TCellAddress from{0, 0};  // top-left
  TCellAddress to{-1, -1};  // bottom-right

  // The box between two corners given in either order.
  static TCellBox Spanning(TCellAddress a, TCellAddress b) {
    return {{std::min(a.col, b.col), std::min(a.row, b.row)}, {std::max(a.col, b.col), std::max(a.row, b.row)}};
  }
  bool IsEmpty() const { return from.col > to.col || from.row > to.row; }
  bool Contains(int col, int row) const { return col >= from.col && col <= to.col && row >= from.row && row <= to.row; }
  // The smallest box holding both.
  TCellBox United(const TCellBox& other) const {
    if (IsEmpty()) return other;
    if (other.IsEmpty()) return *this;
    return {{std::min(from.col, other.from.col), std::min(from.row, other.from.row)},
            {std::max(to.col, other.to.col), std::max(to.row, other.to.row)}};
  }
  friend bool operator==(const TCellBox&, const TCellBox&) = default;
};

}  // namespace metrazil
