#pragma once

#include <QColor>
#include <QRect>
#include <string_view>

#include "grid/view/GridStyle.h"

class QPainter;

namespace metrazil {

// Paints single cells the way the grid shows them. A cell rectangle includes the cell's own grid lines
// along its right and bottom edge.
class TGridPainter {
 public:
  TGridPainter(QPainter& painter, const TGridStyle& style) : painter_(painter), style_(style) {}

  void PaintBodyCell(const QRect& cell, std::string_view text, bool selected);
  void PaintHeaderCell(const QRect& cell, std::string_view text);
  // The dotted focus rectangle, drawn by inverting every other pixel of the cell's outline without its
  // grid lines.
  void PaintFocusRect(const QRect& cell);

  // Where the text of a cell is laid out (TCellTextInset).
  static QRect TextRect(const QRect& cell);
  // Colour of band k of the header gradient (from its top colour, white on a light palette, to the header
  // colour).
  static QColor GradientBand(const QColor& topColor, const QColor& fixedColor, int band);

 private:
  void PaintGridLines(const QRect& cell, const QColor& color);

  QPainter& painter_;
  const TGridStyle& style_;
};

}  // namespace metrazil
