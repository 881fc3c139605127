#include "ui/NoticeForm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "ui/ClipboardWriter.h"
#include "ui/Guarded.h"
#include "ui/ReportException.h"

namespace metrazil {

TNoticeForm::TNoticeForm(const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      text_(text) {
  setWindowTitle(QString::fromUtf8(kApplicationTitle));
  setFont(QApplication::font("QMessageBox"));
  setLayoutDirection(Qt::LeftToRight);

  QScreen* primary = QGuiApplication::primaryScreen();
  layout_ = TNoticeLayout::Compute(font(), text, primary != nullptr ? primary->geometry().width() : 1024);

  message_ = new QLabel(NoticeShownText(text), this);
  message_->setObjectName(QStringLiteral("Message"));
  message_->setWordWrap(true);
  message_->setTextFormat(Qt::PlainText);
  message_->setGeometry(layout_.labelGeometry);

  ok_ = new QPushButton(QString::fromUtf8(kNoticeOkCaption), this);
  ok_->setObjectName(QStringLiteral("OK"));
  ok_->setGeometry(layout_.buttonGeometry);
  ok_->setDefault(true);
  ok_->installEventFilter(this);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

  setFixedSize(layout_.clientSize);
  // Centred on the screen of the active window, the primary one when there is none.
  QScreen* screen = primary;
  if (QWidget* active = QApplication::activeWindow(); active != nullptr && active->screen() != nullptr) {
    screen = active->screen();
  }
  if (screen != nullptr) {
    const QRect area = screen->geometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
  }
  ok_->setFocus();
}

QString TNoticeForm::ClipboardText() const {
  const QString line = QString(27, QLatin1Char('-')) + QStringLiteral("\r\n");
  QString buttons = ok_->text();
  buttons.remove(QLatin1Char('&'));
  return line + windowTitle() + QStringLiteral("\r\n") + line + text_ + QStringLiteral("\r\n") + line + buttons +
         QStringLiteral("   ") + QStringLiteral("\r\n") + line;
}

void TNoticeForm::CopyToClipboard() {
  QApplication::beep();
  WriteClipboard(ClipboardText());
}

bool TNoticeForm::eventFilter(QObject* watched, QEvent* event) {
  // The dialog sees key presses before its button does.
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key->key() == Qt::Key_C && mods == Qt::ControlModifier) {
      Guarded([this] { CopyToClipboard(); })();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TNoticeForm::keyPressEvent(QKeyEvent* event) {
  // Esc presses OK instead of rejecting.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    ok_->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace metrazil
