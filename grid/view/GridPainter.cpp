#include "grid/view/GridPainter.h"

#include <QPainter>
#include <QPolygon>
#include <cmath>

#include "grid/layout/CellTextInset.h"
#include "grid/view/CellTextPainter.h"

namespace metrazil {

QRect TGridPainter::TextRect(const QRect& cell) {
  return QRect(QPoint(cell.left() + TCellTextInset::kLeft, cell.top() + TCellTextInset::kTop),
               QPoint(cell.right() - TCellTextInset::kRight, cell.bottom() - TCellTextInset::kBottom));
}

QColor TGridPainter::GradientBand(const QColor& topColor, const QColor& fixedColor, int band) {
  auto part = [band](int from, int to) { return static_cast<int>(std::lround(from + (to - from) * band / 10.0)); };
  return QColor(part(topColor.red(), fixedColor.red()), part(topColor.green(), fixedColor.green()),
                part(topColor.blue(), fixedColor.blue()));
}

void TGridPainter::PaintGridLines(const QRect& cell, const QColor& color) {
  painter_.fillRect(QRect(cell.left(), cell.bottom(), cell.width(), 1), color);
  painter_.fillRect(QRect(cell.right(), cell.top(), 1, cell.height()), color);
}

void TGridPainter::PaintBodyCell(const QRect& cell, std::string_view text, bool selected) {
  painter_.fillRect(cell, selected ? style_.selectionColor : style_.cellColor);
  PaintGridLines(cell, style_.gridLineColor);
  TCellTextPainter::Draw(painter_, text, TextRect(cell), style_.bodyFont,
                         selected ? style_.selectionTextColor : style_.textColor,
                         selected ? style_.selectionLinkColor : style_.linkColor);
}

void TGridPainter::PaintHeaderCell(const QRect& cell, std::string_view text) {
  painter_.fillRect(cell, style_.fixedColor);
  PaintGridLines(cell, style_.headerLineColor);
  const QRect content = cell.adjusted(1, 1, -1, -1);
  if (content.height() > 0 && content.width() > 0) {
    const double band = content.height() / 10.0;
    const int bandHeight = static_cast<int>(std::lround(band)) + 1;
    for (int k = 0; k < 10; ++k) {
      const int top = content.top() + static_cast<int>(std::lround(k * band));
      painter_.fillRect(QRect(content.left(), top, content.width(), bandHeight),
                        GradientBand(style_.headerTopColor, style_.fixedColor, k));
    }
  }
  TCellTextPainter::Draw(painter_, text, TextRect(cell), style_.headerFont, style_.headerTextColor,
                         style_.headerLinkColor);
  const QColor dark(style_.fixedColor.red() / 2, style_.fixedColor.green() / 2, style_.fixedColor.blue() / 2);
  painter_.fillRect(QRect(cell.left(), cell.bottom(), cell.width(), 1), dark);
  painter_.fillRect(QRect(cell.left(), cell.top(), cell.width(), 1), style_.headerTopColor);
  painter_.fillRect(QRect(cell.left(), cell.top(), 1, cell.height()), style_.headerTopColor);
}

void TGridPainter::PaintFocusRect(const QRect& cell) {
  // Outline of (L, T, R - 1, B - 1) with R and B exclusive: x from L to R - 2, y from T to B - 2.
  const int left = cell.left();
  const int top = cell.top();
  const int right = cell.right() - 1;
  const int bottom = cell.bottom() - 1;
  if (right < left || bottom < top) return;
  QPolygon dots;
  auto dot = [&](int x, int y) {
    if ((x - left + y - top) % 2 == 0) dots << QPoint(x, y);
  };
  for (int x = left; x <= right; ++x) {
    dot(x, top);
    if (bottom > top) dot(x, bottom);
  }
  for (int y = top + 1; y < bottom; ++y) {
    dot(left, y);
    if (right > left) dot(right, y);
  }
  painter_.save();
  painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter_.setPen(QPen(Qt::white, 0));
  painter_.drawPoints(dots);
  painter_.restore();
}

}  // namespace metrazil
