#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>

// Events sent to widgets as a user gives them, for the benchmarks of the window and its controls.
namespace metrazil {

// Until the posted work and repaints are done.
inline void Settle() {
  QApplication::sendPostedEvents();
  QApplication::processEvents();
}

inline void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QApplication::sendEvent(target, &release);
}

// One notch at the middle of `target`; a negative delta turns the wheel towards the user.
inline void Wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QPointF pos = target->rect().center();
  QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &event);
}

// Wheel notches and keys reach only a widget whose window is active and which holds the focus.
inline void Activate(QWidget* window, QWidget* focus) {
  if (!window->isActiveWindow()) {
    window->activateWindow();
    for (int wait = 0; wait < 100 && !window->isActiveWindow(); ++wait) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
  }
  focus->setFocus();
}

}  // namespace metrazil
