#pragma once

namespace metrazil {

// A cell by column and row, counted from 0 with the fixed ones; (-1, -1) is "no cell".
struct TCellAddress {
  int col = -1;
  int row = -1;
  friend bool operator==(const TCellAddress&, const TCellAddress&) = default;
};

}  // namespace metrazil
