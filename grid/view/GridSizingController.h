#pragma once

#include <QPoint>

class QMouseEvent;

namespace metrazil {

class TTableGridView;
class TGridSizingLine;
class TGridGeometry;

// Column borders in the header row: the split cursor over a sizing zone, dragging a border with the dotted
// line, and fitting a column to its texts on a double-click near a border.
class TGridSizingController {
 public:
  explicit TGridSizingController(TTableGridView& view);

  // Each returns true when it took the event, so the view does nothing else with it.
  bool mousePress(QMouseEvent* event);
  bool mouseMove(QMouseEvent* event);
  bool mouseRelease(QMouseEvent* event);
  bool mouseDoubleClick(QMouseEvent* event);

  bool isSizing() const { return sizingCol_ >= 0; }
  // Drops a drag in progress without changing the width (the grid lost the pointer).
  void cancel();
  // The column whose sizing zone holds pos (viewport coordinates), or -1.
  int sizingZoneColumn(QPoint pos) const;

  // Sets the column's width to that of its widest first line of text plus margins (see FitWidth). A column
  // outside the count raises EListError.
  void fitColumn(int col);

 private:
  bool inHeaderRow(const TGridGeometry& geometry, QPoint pos) const;
  void moveLine(int pointerX);

  TTableGridView& view_;
  TGridSizingLine* line_;
  int sizingCol_ = -1;
  int sizingOffset_ = 0;  // border minus pointer at the press
  int lineX_ = 0;
};

}  // namespace metrazil
