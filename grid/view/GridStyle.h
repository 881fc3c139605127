#pragma once

#include <QColor>
#include <QFont>

class QPalette;
class QWidget;

namespace metrazil {

// Fonts and colours of one grid: what the painter draws with and what both editors take on.
struct TGridStyle {
  QFont bodyFont;     // body cells, at point size plus the zoom level
  QFont headerFont;   // header cells, at point size plus the zoom level
  QFont editorFont;   // both editors: the body font at its own size, whatever the zoom
  QColor cellColor;   // body background, also the empty area
  QColor fixedColor;  // header background
  QColor textColor;   // window text
  // Header text, and the top of the header's gradient and its light edges: the window text on white, or
  // where a dark desktop's light text would not read on white, a grey it reads on, and the text itself made
  // readable on the header colour.
  QColor headerTextColor;
  QColor headerTopColor;
  // Links in markup, on the body, the selection and the header: the palette's link colour where it reads.
  QColor linkColor;
  QColor selectionLinkColor;
  QColor headerLinkColor;
  QColor gridLineColor = QColor(192, 192, 192);
  QColor headerLineColor = QColor(128, 128, 128);
  QColor selectionColor = QColor(182, 202, 234);
  QColor selectionTextColor = QColor(0, 0, 0);

  // The style for a widget palette and a zoom level of -10..10 (added to every cell font's point size).
  static TGridStyle For(const QPalette& palette, int zoomLevel);

  // An editor's font and colours: the cell's font at its own size on the cell's normal background.
  void ApplyToEditor(QWidget& editor) const;
};

}  // namespace metrazil
