#include "ui/GroupFrame.h"

#include <qdrawutil.h>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include "ui/IconPixels.h"

namespace metrazil {

void TGroupFrame::paintEvent(QPaintEvent* event) {
  if (!title().isEmpty() || isCheckable() || devicePixelRatio() != 1 || style()->name() != QLatin1String("fusion")) {
    QGroupBox::paintEvent(event);
    return;
  }
  // The frame drawn at build time is a small box of the same frame: its corners and edges, from the top
  // margin the style leaves, stretched to the widget's size as the style stretches its image.
  constexpr int kCorner = 12;
  const QImage frame(kGroupFramePixels, kGroupFrameSize, kGroupFrameSize, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(this);
  qDrawBorderPixmap(&painter, rect(), QMargins(kCorner, kCorner, kCorner, kCorner), QPixmap::fromImage(frame));
}

}  // namespace metrazil
