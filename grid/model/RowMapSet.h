#pragma once

#include <cstddef>
#include <vector>

namespace metrazil {

// The rows of a grid that have a map: a row gets one when any of its cells is first written, the empty
// text included, and keeps it when its texts are deleted. Held as sorted, disjoint, non-adjacent closed
// intervals, so a row insertion near the top of a huge grid, which maps every row below it, costs one
// interval; every operation costs a search plus at most a pass over the intervals it touches.
class TRowMapSet {
 public:
  bool Contains(int row) const;
  // Maps the rows first..last (first <= last, both 0 or more).
  void Add(int first, int last);
  void Add(int row) { Add(row, row); }
  // Moves the maps the way a row removal moves the texts: row `row` goes to index `last` and the rows in
  // row+1..last move up by one; rows outside row..last stay. Nothing happens unless row < last.
  void RotateToEnd(int row, int last);
  // The inverse of RotateToEnd: row `last` goes to index `row` and the rows in row..last-1 move down by one.
  void RotateFromEnd(int row, int last);

 private:
  struct Interval {
    int first;
    int last;
  };
  using Iterator = std::vector<Interval>::iterator;

  // First interval that ends at or after `row`.
  Iterator EndingAtOrAfter(int row);
  // Unmaps one row; returns whether it was mapped.
  bool Remove(int row);
  // Splits the interval holding both row and row + 1, if any, between them.
  void SplitAfter(int row);

  std::vector<Interval> intervals_;
};

}  // namespace metrazil
