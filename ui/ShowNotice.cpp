#include "ui/ShowNotice.h"

#include <QApplication>
#include <QCursor>
#include <utility>

#include "ui/DialogFocus.h"
#include "ui/NoticeForm.h"

namespace metrazil {

namespace {

NoticePresenter& Presenter() {
  static NoticePresenter presenter;
  return presenter;
}

}  // namespace

NoticePresenter SetNoticePresenter(NoticePresenter presenter) {
  return std::exchange(Presenter(), std::move(presenter));
}

void ShowNotice(const QString& text) {
  ReleaseMouseGrab();
  if (Presenter()) {
    Presenter()(text);
    return;
  }
  const TDialogFocusKeeper keeper;
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  {
    TNoticeForm form(text);
    form.setWindowModality(Qt::ApplicationModal);
    form.exec();
  }
  QApplication::restoreOverrideCursor();
}

}  // namespace metrazil
