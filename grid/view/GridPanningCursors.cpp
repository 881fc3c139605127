#include "grid/view/GridPanningCursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace metrazil {
namespace {

constexpr int kSize = 32;
constexpr int kCentre = kSize / 2;

void DrawArrow(QPainter& painter, int direction) {
  // direction -1 points up, +1 down.
  const int tip = kCentre + direction * 14;
  const int base = kCentre + direction * 6;
  QPainterPath arrow;
  arrow.moveTo(kCentre, tip);
  arrow.lineTo(kCentre - 6, base);
  arrow.lineTo(kCentre + 6, base);
  arrow.closeSubpath();
  painter.drawPath(arrow);
}

QCursor Build(TPanDirection direction) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1.5));
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(kCentre, kCentre), 4, 4);
  if (direction != TPanDirection::kDown) DrawArrow(painter, -1);
  if (direction != TPanDirection::kUp) DrawArrow(painter, 1);
  painter.end();
  return QCursor(pixmap, kCentre, kCentre);
}

}  // namespace

TPanDirection PanDirection(int pressY, int pointerY) {
  const long long d = static_cast<long long>(pointerY) - pressY;
  if (d > 5) return TPanDirection::kDown;
  if (d < -5) return TPanDirection::kUp;
  return TPanDirection::kNone;
}

QCursor PanningCursor(TPanDirection direction) {
  static const QCursor cursors[] = {Build(TPanDirection::kNone), Build(TPanDirection::kUp),
                                    Build(TPanDirection::kDown)};
  return cursors[static_cast<int>(direction)];
}

}  // namespace metrazil
