#include "ui/ReportException.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <utility>

#include "base/Exception.h"

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
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  if (dynamic_cast<const EAbort*>(&error) != nullptr) return;

  const QString text = ErrorBoxText(error.what());
  QPointer<QWidget> active = QApplication::activeWindow();
  QPointer<QWidget> focused = QApplication::focusWidget();
  if (Presenter()) {
    Presenter()(text);
  } else {
    ShowErrorBox(text);
  }
  if (active) active->activateWindow();
  if (focused) focused->setFocus(Qt::OtherFocusReason);
}

}  // namespace metrazil
