#include "grid/model/RowMapSet.h"

#include <algorithm>

namespace metrazil {

TRowMapSet::Iterator TRowMapSet::EndingAtOrAfter(int row) {
  return std::partition_point(intervals_.begin(), intervals_.end(),
                              [row](const Interval& interval) { return interval.last < row; });
}

bool TRowMapSet::Contains(int row) const {
  const auto it = std::partition_point(intervals_.begin(), intervals_.end(),
                                       [row](const Interval& interval) { return interval.last < row; });
  return it != intervals_.end() && it->first <= row;
}

void TRowMapSet::Add(int first, int last) {
  // Rows written in order, as a file read writes them, only ever touch the last interval.
  if (!intervals_.empty() && first >= intervals_.back().first) {
    Interval& tail = intervals_.back();
    if (first - 1 <= tail.last) {
      tail.last = std::max(tail.last, last);
    } else {
      intervals_.push_back(Interval{first, last});
    }
    return;
  }
  // Intervals that overlap first..last or touch it merge with it; the comparisons are written so that
  // neither end can overflow at the largest int.
  const auto lo = std::partition_point(intervals_.begin(), intervals_.end(),
                                       [first](const Interval& interval) { return interval.last < first - 1; });
  const auto hi = std::partition_point(lo, intervals_.end(),
                                       [last](const Interval& interval) { return interval.first - 1 <= last; });
  if (lo == hi) {
    intervals_.insert(lo, Interval{first, last});
    return;
  }
  lo->first = std::min(lo->first, first);
  lo->last = std::max((hi - 1)->last, last);
  intervals_.erase(lo + 1, hi);
}

bool TRowMapSet::Remove(int row) {
  const auto it = EndingAtOrAfter(row);
  if (it == intervals_.end() || it->first > row) return false;
  if (it->first == it->last) {
    intervals_.erase(it);
  } else if (it->first == row) {
    ++it->first;
  } else if (it->last == row) {
    --it->last;
  } else {
    const Interval upper{row + 1, it->last};
    it->last = row - 1;
    intervals_.insert(it + 1, upper);
  }
  return true;
}

void TRowMapSet::SplitAfter(int row) {
  const auto it = EndingAtOrAfter(row);
  if (it == intervals_.end() || it->first > row || it->last == row) return;
  const Interval upper{row + 1, it->last};
  it->last = row;
  intervals_.insert(it + 1, upper);
}

void TRowMapSet::RotateToEnd(int row, int last) {
  if (row < 0 || row >= last) return;
  const bool mapped = Remove(row);
  SplitAfter(last);
  // No interval holds `row` now, and none reaches past `last` from inside row..last: the intervals that
  // start in row+1..last are exactly the ones that move up.
  const auto begin = std::partition_point(intervals_.begin(), intervals_.end(),
                                          [row](const Interval& interval) { return interval.first < row; });
  const auto end = std::partition_point(begin, intervals_.end(),
                                        [last](const Interval& interval) { return interval.first <= last; });
  for (auto it = begin; it != end; ++it) {
    --it->first;
    --it->last;
  }
  // The rows just below the removed one now touch the rows above it.
  if (begin != end && begin != intervals_.begin() && (begin - 1)->last + 1 == begin->first) {
    (begin - 1)->last = begin->last;
    intervals_.erase(begin);
  }
  if (mapped) Add(last);
}

void TRowMapSet::RotateFromEnd(int row, int last) {
  if (row < 0 || row >= last) return;
  const bool mapped = Remove(last);
  if (row > 0) SplitAfter(row - 1);
  // Row `last` is unmapped now, so the intervals that start in row..last-1 also end there: they move down.
  const auto begin = std::partition_point(intervals_.begin(), intervals_.end(),
                                          [row](const Interval& interval) { return interval.first < row; });
  const auto end =
      std::partition_point(begin, intervals_.end(), [last](const Interval& interval) { return interval.first < last; });
  for (auto it = begin; it != end; ++it) {
    ++it->first;
    ++it->last;
  }
  // The moved rows may now touch the rows past `last`.
  if (begin != end && end != intervals_.end() && (end - 1)->last + 1 == end->first) {
    (end - 1)->last = end->last;
    intervals_.erase(end);
  }
  if (mapped) Add(row);
}

}  // namespace metrazil
