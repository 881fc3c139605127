#include "ui/ReportException.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <utility>

#include "base/Exception.h"
#include "ui/DialogFocus.h"

namespace metrazil {

namespace {

ErrorBoxPresenter& Presenter() {
  static ErrorBoxPresenter presenter;
  return presenter;
}

void ShowErrorBox(const QString& text) {
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle), text, QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace

QString ErrorBoxText(std::string_view message) {
  QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
  if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.')) {
    text += QLatin1Char('.');
  }
  return text;
}

ErrorBoxPresenter SetErrorBoxPresenter(ErrorBoxPresenter presenter) {
  return std::exchange(Presenter(), std::move(presenter));
}

void ReportException(const std::exception& error) {
  ReleaseMouseGrab();
  if (dynamic_cast<const EAbort*>(&error) != nullptr) return;

  const QString text = ErrorBoxText(error.what());
  const TDialogFocusKeeper keeper;
  if (Presenter()) {
    Presenter()(text);
  } else {
    ShowErrorBox(text);
  }
}

}  // namespace metrazil
