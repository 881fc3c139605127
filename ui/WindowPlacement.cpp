#include "ui/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace metrazil {

TWindowPlacement::TWindowPlacement(QWidget* window, QPoint designed)
    : QObject(window), window_(window), designed_(designed) {
  Place();
  window_->installEventFilter(this);
}

QPoint TWindowPlacement::Fitting(QPoint designed, QSize size, const QRect& area) {
  const int x = std::max(area.left(), std::min(designed.x(), area.left() + area.width() - size.width()));
  const int y = std::max(area.top(), std::min(designed.y(), area.top() + area.height() - size.height()));
  return {x, y};
}

void TWindowPlacement::Place() {
  QScreen* screen = QGuiApplication::screenAt(designed_);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  // Before the window manager has framed the window its frame counts as nothing.
  const QWindow* handle = window_->windowHandle();
  const QMargins frame = handle != nullptr ? handle->frameMargins() : QMargins();
  window_->move(Fitting(designed_, window_->size().grownBy(frame), screen->availableGeometry()));
}

bool TWindowPlacement::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Show && window_->windowHandle() != nullptr) {
    window_->windowHandle()->installEventFilter(this);
  } else if (watched == window_->windowHandle() && event->type() == QEvent::Expose &&
             window_->windowHandle()->isExposed()) {
    // Framed now: once more with the frame, and never again, so that the user may put the window anywhere.
    window_->removeEventFilter(this);
    watched->removeEventFilter(this);
    Place();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace metrazil
