#include "grid/view/BusyYield.h"

#include <QApplication>
#include <QCursor>

#include "grid/model/TableGrid.h"

namespace metrazil {

TBusyYield::TBusyYield() { started_.start(); }

TBusyYield::TBusyYield(TTableGrid& grid) : TBusyYield() {
  grid_ = &grid;
  outer_ = std::move(grid.OnBusy);
  grid.OnBusy = [this] { (*this)(); };
}

TBusyYield::~TBusyYield() {
  if (grid_ != nullptr) grid_->OnBusy = std::move(outer_);
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
