#pragma once

#include <QList>
#include <QObject>

class QWidget;

namespace metrazil {

// The arrow keys in a group of controls: Right and Down move the keyboard focus to the next control of the
// group in tab order, Left and Up to the one before, wrapping and regardless of tab stops; a radio button
// that gets the focus this way is checked. Only the keys pressed on the controls given as watched count
// (others, such as a drop-down list, keep the arrows for themselves).
class TArrowKeyGroup : public QObject {
 public:
  TArrowKeyGroup(QList<QWidget*> order, const QList<QWidget*>& watched, QObject* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool MoveFocus(QWidget* from, int step);

  QList<QWidget*> order_;
};

}  // namespace metrazil
