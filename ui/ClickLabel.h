#pragma once

#include <QLabel>

namespace metrazil {

// A label or picture that reacts to a left click, with the hand cursor.
class TClickLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TClickLabel(QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace metrazil
