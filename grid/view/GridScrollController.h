#pragma once

#include <QObject>
#include <array>

#include "grid/layout/GridGeometry.h"

class QScrollBar;

namespace metrazil {

class TTableGridView;

// The grid's scroll bars: shown only while rows or columns do not all fit, always ranging 0..127 over the
// possible top rows and left columns. Arrows move one row or column, the track a page, and a dragged thumb
// moves the view when it is released. Scrolling never moves the focused cell.
class TGridScrollController : public QObject {
  Q_OBJECT

 public:
  explicit TGridScrollController(TTableGridView& view);

  // Brings both bars in line with the view's top-left cell, sizes and counts.
  void Sync();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // One bar and the direction it scrolls: the vertical bar moves the top row, the horizontal one the left
  // column; nothing else tells them apart.
  struct TScrollAxis {
    QScrollBar* bar;
    int TCellAddress::*topLeftPart;  // row of the top-left cell, or its col
    int (TTableGrid::*fixedCount)() const;
    int (TGridGeometry::*maxPosition)() const;
    int (TGridGeometry::*page)() const;
  };

  void FocusGrid();
  void OnAction(const TScrollAxis& axis, int action);
  void OnReleased(const TScrollAxis& axis);
  void SyncBar(const TScrollAxis& axis);
  void ScrollTo(const TScrollAxis& axis, long long pos);
  TCellAddress TopLeft() const;
  long long Position(const TScrollAxis& axis) const { return TopLeft().*axis.topLeftPart; }
  long long FirstPosition(const TScrollAxis& axis) const;
  long long LastPosition(const TScrollAxis& axis) const;

  TTableGridView& view_;
  std::array<TScrollAxis, 2> axes_;
  bool syncing_ = false;
};

}  // namespace metrazil
