#include "ui/ArrowKeyGroup.h"

#include <QKeyEvent>
#include <QRadioButton>
#include <utility>

namespace metrazil {

TArrowKeyGroup::TArrowKeyGroup(QList<QWidget*> order, const QList<QWidget*>& watched, QObject* parent)
    : QObject(parent), order_(std::move(order)) {
  for (QWidget* widget : watched) widget->installEventFilter(this);
}

bool TArrowKeyGroup::MoveFocus(QWidget* from, int step) {
  qsizetype at = order_.indexOf(from);
  if (at < 0) return false;
  const qsizetype count = order_.size();
  at = (at + step + count) % count;
  QWidget* target = order_[at];
  target->setFocus(Qt::TabFocusReason);
  if (auto* radio = qobject_cast<QRadioButton*>(target); radio != nullptr && !radio->isChecked()) {
    radio->setChecked(true);
  }
  return true;
}

bool TArrowKeyGroup::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
  switch (key->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
      return MoveFocus(static_cast<QWidget*>(watched), 1);
    case Qt::Key_Left:
    case Qt::Key_Up:
      return MoveFocus(static_cast<QWidget*>(watched), -1);
    default:
      return false;
  }
}

}  // namespace metrazil
