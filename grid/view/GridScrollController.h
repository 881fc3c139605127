#pragma once

#include <QObject>

class QScrollBar;

namespace metrazil {

class TTableGridView;
class TGridGeometry;

// The grid's scroll bars: shown only while rows or columns do not all fit, always ranging 0..127 over the
// possible top rows and left columns. Arrows move one row or column, the track a page, and a dragged thumb
// moves the view when it is released. Scrolling never moves the focused cell.
class TGridScrollController : public QObject {
  Q_OBJECT

 public:
  explicit TGridScrollController(TTableGridView& view);

  // Brings both bars in line with the view's top-left cell, sizes and counts.
  void sync();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void focusGrid();
  void onAction(Qt::Orientation orientation, int action);
  void onReleased(Qt::Orientation orientation);
  void syncBar(Qt::Orientation orientation);
  void scrollTo(Qt::Orientation orientation, long long pos);
  TGridGeometry geometry() const;
  QScrollBar* bar(Qt::Orientation orientation) const;
  long long position(Qt::Orientation orientation) const;
  long long firstPosition(Qt::Orientation orientation) const;
  long long lastPosition(Qt::Orientation orientation) const;
  int page(Qt::Orientation orientation) const;

  TTableGridView& view_;
  bool syncing_ = false;
};

}  // namespace metrazil
