#pragma once

#include <utility>
#include <vector>

namespace metrazil {

// One direction of a grid, rows or columns: the count, the fixed (header) part at its start, the focused
// and anchor indexes, the first scrollable index shown, and the sizes as a default plus exceptions. The
// grid holds one for its rows and one for its columns and keeps them consistent with each other.
class TGridAxis {
 public:
  // Focus, anchor and first shown start at the first index past the fixed part.
  TGridAxis(int initialCount, int fixedCount, int size, bool saved)
      : count(initialCount),
        fixed(fixedCount),
        focus(fixedCount),
        anchor(fixedCount),
        first(fixedCount),
        defaultSize(size),
        sizesSaved(saved) {}

  int count = 0;
  int fixed = 0;
  int focus = 0;
  int anchor = 0;
  int first = 0;  // first scrollable index shown: the top row or the left column
  int defaultSize = 0;
  // Whether a table file keeps these sizes: column widths are saved, row heights are not.
  bool sizesSaved = false;

  // The size of index: its own size inside the count, else the default.
  int Size(int index) const;
  // Stores a size of index's own; the default size removes it. index must lie inside the count.
  void SetSize(int index, int size);
  // Drops every size of its own, as a new default does.
  void SetDefaultSize(int size);
  // Cuts the sizes of the indexes at or past count.
  void CutSizes(int newCount);
  // Sizes move with their slots: count slots open at index `at` with the default size, or slot `at` goes
  // and those after it move back by one.
  void InsertSlots(int at, int slots);
  void RemoveSlot(int at);
  // Every size, the default included, grows by step where the result stays above 0 (and fits an int).
  void Zoom(int step);

 private:
  // Sorted (index, size) pairs for the indexes whose size differs from the default.
  std::vector<std::pair<int, int>> sizes_;
};

}  // namespace metrazil
