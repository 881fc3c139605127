#include "grid/view/GridSizingLine.h"

#include <QPainter>
#include <algorithm>

namespace metrazil {

TGridSizingLine::TGridSizingLine(QWidget* viewport) : QWidget(viewport) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  hide();
}

void TGridSizingLine::ShowAt(int x, int bottom) {
  setGeometry(x, 0, 1, std::max(bottom, 1));
  show();
  raise();
}

void TGridSizingLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setCompositionMode(QPainter::RasterOp_NotDestination);
  // Every other pixel, so the line reads as dotted and inverting it twice restores the picture.
  for (int y = 0; y < height(); y += 2) painter.fillRect(0, y, 1, 1, Qt::black);
}

}  // namespace metrazil
