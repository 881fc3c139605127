#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace metrazil {

// A control that holds the pointer must not keep it while a modal dialog runs.
inline void ReleaseMouseGrab() {
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
}

// Gives the active window and the focused control back when a modal dialog has ended; either may have
// gone meanwhile.
class TDialogFocusKeeper {
 public:
  TDialogFocusKeeper() : active_(QApplication::activeWindow()), focused_(QApplication::focusWidget()) {}
  ~TDialogFocusKeeper() {
    if (active_) active_->activateWindow();
    if (focused_) focused_->setFocus(Qt::OtherFocusReason);
  }
  TDialogFocusKeeper(const TDialogFocusKeeper&) = delete;
  TDialogFocusKeeper& operator=(const TDialogFocusKeeper&) = delete;

 private:
  QPointer<QWidget> active_;
  QPointer<QWidget> focused_;
};

}  // namespace metrazil
