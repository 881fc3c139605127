#include "grid/view/BusyYield.h"

#include <QApplication>
#include <QCursor>

namespace metrazil {

TBusyYield::TBusyYield() { started_.start(); }

TBusyYield::TBusyYield(TTableGrid& grid) : TBusyYield() {
  scope_.emplace(grid, [this] { (*this)(); });
}

TBusyYield::~TBusyYield() {
  scope_.reset();
  if (busy_) QApplication::restoreOverrideCursor();
}

void TBusyYield::operator()() {
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
