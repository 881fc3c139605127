#include "ui/NoticeLayout.h"

#include <QFontMetrics>
#include <QPoint>
#include <algorithm>

#include "base/MulDiv.h"

namespace metrazil {

namespace {

// The caption width is measured once per run, as the dialog always uses the same font.
int OkCaptionWidth(const QFontMetrics& metrics) {
  static const int width = metrics.horizontalAdvance(QString::fromUtf8(kNoticeOkCaption));
  return width;
}

}  // namespace

QString NoticeShownText(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
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
  l.textRect =
      metrics.boundingRect(QRect(0, 0, limit, 0), Qt::TextWordWrap | Qt::TextExpandTabs, NoticeShownText(text));
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

}  // namespace metrazil
