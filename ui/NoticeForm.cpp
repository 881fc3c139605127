#include "ui/NoticeForm.h"

#include "ui/DialogFocus.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "base/Exception.h"
#include "ui/DialogFocus.h"
#include "ui/Guarded.h"
#include "ui/ReportException.h"

namespace metrazil {

namespace {

const char* const kOkCaption = "确定";

NoticePresenter& Presenter() {
  static NoticePresenter presenter;
  return presenter;
}

ClipboardWriter& Writer() {
  static ClipboardWriter writer;
  return writer;
}

void WriteSystemClipboard(const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard != nullptr) clipboard->setText(text);
  if (clipboard == nullptr || clipboard->text() != text) throw Exception("无法打开剪贴板");
}

// The caption width is measured once per run, as the dialog always uses the same font.
int OkCaptionWidth(const QFontMetrics& metrics) {
  static const int width = metrics.horizontalAdvance(QString::fromUtf8(kOkCaption));
  return width;
}

QString DisplayText(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

}  // namespace

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const long long product = static_cast<long long>(number) * numerator;
  const long long half = std::llabs(static_cast<long long>(denominator)) / 2;
  const bool negative = (product < 0) != (denominator < 0);
  const long long magnitude = (std::llabs(product) + half) / std::llabs(static_cast<long long>(denominator));
  return static_cast<int>(negative ? -magnitude : magnitude);
}

TNoticeLayout TNoticeLayout::Compute(const QFont& font, const QString& text, int screenWidth) {
  const QFontMetrics metrics(font);
  const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  TNoticeLayout l;
  l.charWidth = metrics.horizontalAdvance(letters) / 52;
  l.charHeight = metrics.height();
  l.horizontalMargin = MulDiv(8, l.charWidth, 4);
  l.verticalMargin = MulDiv(8, l.charHeight, 8);
  l.verticalSpacing = MulDiv(10, l.charHeight, 8);
  l.buttonWidth = std::max(MulDiv(50, l.charWidth, 4), OkCaptionWidth(metrics) + 8);
  l.buttonHeight = MulDiv(14, l.charHeight, 8);
  const int limit = screenWidth / 2;
  l.textRect = metrics.boundingRect(QRect(0, 0, limit, 0), Qt::TextWordWrap | Qt::TextExpandTabs, DisplayText(text));
  l.textRect.moveTopLeft(QPoint(0, 0));
  const int textWidth = l.textRect.width();
  const int textHeight = l.textRect.height();
  l.clientSize = QSize(std::max(textWidth, l.buttonWidth) + 2 * l.horizontalMargin,
                       textHeight + l.buttonHeight + l.verticalSpacing + 2 * l.verticalMargin);
  l.labelGeometry = QRect(l.horizontalMargin, l.verticalMargin, textWidth, textHeight);
  l.buttonGeometry = QRect((l.clientSize.width() - l.buttonWidth) / 2,
                           textHeight + l.verticalMargin + l.verticalSpacing, l.buttonWidth, l.buttonHeight);
  return l;
}

TNoticeForm::TNoticeForm(const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      text_(text) {
  setWindowTitle(QString::fromUtf8(kApplicationTitle));
  setFont(QApplication::font("QMessageBox"));
  setLayoutDirection(Qt::LeftToRight);

  QScreen* primary = QGuiApplication::primaryScreen();
  layout_ = TNoticeLayout::Compute(font(), text, primary != nullptr ? primary->geometry().width() : 1024);

  message_ = new QLabel(DisplayText(text), this);
  message_->setObjectName(QStringLiteral("Message"));
  message_->setWordWrap(true);
  message_->setTextFormat(Qt::PlainText);
  message_->setGeometry(layout_.labelGeometry);

  ok_ = new QPushButton(QString::fromUtf8(kOkCaption), this);
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
  const QString text = ClipboardText();
  if (Writer()) {
    Writer()(text);
  } else {
    WriteSystemClipboard(text);
  }
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

NoticePresenter SetNoticePresenter(NoticePresenter presenter) {
  return std::exchange(Presenter(), std::move(presenter));
}

ClipboardWriter SetClipboardWriter(ClipboardWriter writer) { return std::exchange(Writer(), std::move(writer)); }

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
