#pragma once

#include <QWidget>

namespace metrazil {

// The dotted line that follows the pointer while a column border is dragged. It inverts the pixels it
// covers, so it shows on any fill; a separate child keeps the view's own painting untouched.
class TGridSizingLine : public QWidget {
  Q_OBJECT

 public:
  explicit TGridSizingLine(QWidget* viewport);

  // Shows the line at x from the top of the viewport down to bottom (exclusive).
  void ShowAt(int x, int bottom);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace metrazil
