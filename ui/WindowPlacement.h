#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace metrazil {

// Opens a window at its designed position wherever the whole window, its frame included, fits on the screen
// it opens on (the one at that position, else the primary one), and elsewhere at the nearest position where
// it does, as at a large scale factor on a small screen. The frame is known only once a window manager has
// framed the window, so the position is checked again when the window first shows.
class TWindowPlacement : public QObject {
 public:
  // Places `window` (sized already) and follows it until it has shown; owned by the window.
  TWindowPlacement(QWidget* window, QPoint designed);

  // The position nearest `designed` at which an outline of `size` lies wholly in `area`. An outline larger
  // than the area goes to its left or top edge, so that the title bar stays within reach.
  static QPoint Fitting(QPoint designed, QSize size, const QRect& area);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Place();

  QWidget* window_;
  QPoint designed_;
};

}  // namespace metrazil
