#pragma once

#include <QPoint>
#include <memory>

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
  ~TGridSizingController();

  // Each returns true when it took the event, so the view does nothing else with it.
  bool MousePress(QMouseEvent* event);
  bool MouseMove(QMouseEvent* event);
  bool MouseRelease(QMouseEvent* event);
  bool MouseDoubleClick(QMouseEvent* event);

  // Drops a drag in progress without changing the width (the grid lost the pointer).
  void Cancel();

 private:
  bool IsSizing() const { return sizingCol_ >= 0; }
  // The column whose sizing zone holds pos (viewport coordinates), or -1.
  int SizingZoneColumn(QPoint pos) const;
  // Sets the column's width to that of its widest first line of text plus margins (see FitWidth). A column
  // outside the count raises EListError.
  void FitColumn(int col);
  bool InHeaderRow(const TGridGeometry& geometry, QPoint pos) const;
  void MoveLine(int pointerX);

  TTableGridView& view_;
  std::unique_ptr<TGridSizingLine> line_;
  int sizingCol_ = -1;
  int sizingOffset_ = 0;  // border minus pointer at the press
  int lineX_ = 0;
};

}  // namespace metrazil
