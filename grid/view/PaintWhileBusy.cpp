#include "grid/view/PaintWhileBusy.h"

#include <QApplication>
#include <QCursor>

namespace metrazil {

TPaintWhileBusy::TPaintWhileBusy() { started_.start(); }

TPaintWhileBusy::TPaintWhileBusy(TTableGrid& grid) : TPaintWhileBusy() {
  scope_.emplace(grid, [this] { (*this)(); });
}

TPaintWhileBusy::~TPaintWhileBusy() {
  scope_.reset();
  if (busy_) QApplication::restoreOverrideCursor();
}

void TPaintWhileBusy::operator()() {
  // Asked every few thousand rows, so asking the clock costs nothing.
  const qint64 now = started_.elapsed();
  if (now - last_ < 20) return;
  if (!busy_ && now >= 100) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    busy_ = true;
  }
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  last_ = started_.elapsed();
}

}  // namespace metrazil
