#include "ui/ReadEventPump.h"

#include <QCoreApplication>

#include "base/Exception.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

void TReadEventPump::operator()() {
  if (std::chrono::steady_clock::now() - last_ < std::chrono::milliseconds(5)) return;
  if (view_ != nullptr) view_->Model().FlushPendingNotices();
  QCoreApplication::processEvents();
  last_ = std::chrono::steady_clock::now();
  if (closeRequested_ && closeRequested_()) throw EAbort();
}

}  // namespace metrazil
