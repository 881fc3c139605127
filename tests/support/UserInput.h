#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

namespace metrazil {

// A key pressed and released where the keyboard focus is.
inline void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), mods);
}

// Text typed where the keyboard focus is, one key of the test keyboard per character.
inline void Type(const char* text) {
  for (const char* c = text; *c != '\0'; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
}

// Characters no key of the test keyboard has, Chinese ones included, as a keyboard layout or an input method
// delivers them where the keyboard focus is.
inline void TypeCharacters(const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(QApplication::focusWidget(), &press);
  }
}

// A turn of the wheel over the middle of a widget, delta in eighths of a degree (120 a notch; positive away
// from the user).
inline void Wheel(QWidget* widget, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  const QPointF pos = widget->rect().center();
  QWheelEvent wheel(pos, widget->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase,
                    false);
  QApplication::sendEvent(widget, &wheel);
}

}  // namespace metrazil
