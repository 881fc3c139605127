#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <string_view>

class QPainter;

namespace metrazil {

// Paints single cells the way the grid shows them. A cell rectangle includes the cell's own grid lines
// along its right and bottom edge.
class TGridPainter {
 public:
  struct Style {
    QFont bodyFont;
    QFont headerFont;
    QColor cellColor;   // body background, also the empty area
    QColor fixedColor;  // header background
    QColor textColor;   // window text
    QColor gridLineColor = QColor(192, 192, 192);
    QColor headerLineColor = QColor(128, 128, 128);
    QColor selectionColor = QColor(182, 202, 234);
    QColor selectionTextColor = QColor(0, 0, 0);
  };

  TGridPainter(QPainter& painter, const Style& style) : painter_(painter), style_(style) {}

  void PaintBodyCell(const QRect& cell, std::string_view text, bool selected);
  void PaintHeaderCell(const QRect& cell, std::string_view text);
  // The dotted focus rectangle, drawn by inverting every other pixel of the cell's outline without its
  // grid lines.
  void PaintFocusRect(const QRect& cell);

  // Where the text of a cell is laid out: the cell less its grid lines and 2 pixels left, top and right.
  static QRect TextRect(const QRect& cell);
  // Colour of band k of the header gradient (white at the top to the header colour).
  static QColor GradientBand(const QColor& fixedColor, int band);

 private:
  void PaintGridLines(const QRect& cell, const QColor& color);

  QPainter& painter_;
  const Style& style_;
};

}  // namespace metrazil
