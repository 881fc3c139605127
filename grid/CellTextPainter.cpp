#include "grid/CellTextPainter.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>

#include "grid/CellTextKind.h"
#include "grid/RichTextReader.h"
#include "ui/CodePageText.h"

namespace metrazil {

namespace {

QString WithLineSeparators(QString text) {
  text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
  text.replace(QLatin1Char('\r'), QChar::LineSeparator);
  text.replace(QLatin1Char('\n'), QChar::LineSeparator);
  return text;
}

std::u16string DecodeBytes(std::string_view bytes) { return FromTableBytes(bytes).toStdU16String(); }

void DrawWholeLines(QPainter& painter, const QString& text, const QRect& rect, const QFont& font, const QColor& color) {
  if (text.isEmpty() || rect.width() <= 0 || rect.height() <= 0) return;
  // Lines are spaced by the cell font's own height: glyphs taken from a fallback font (Chinese text in a
  // Latin font) must not make a line too tall for a 21-pixel row.
  const QFontMetricsF metrics(font, painter.device());
  const qreal lineHeight = metrics.height();
  QTextLayout layout(text, font, painter.device());
  QTextOption option(Qt::AlignLeft);
  option.setWrapMode(QTextOption::WordWrap);
  option.setTabStopDistance(8 * metrics.averageCharWidth());
  layout.setTextOption(option);
  int shown = 0;
  qreal y = 0;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(rect.width());
    if (y + lineHeight > rect.height()) break;
    line.setPosition(QPointF(0, y + metrics.ascent() - line.ascent()));
    y += lineHeight;
    ++shown;
  }
  layout.endLayout();
  if (shown == 0) return;
  painter.save();
  painter.setClipRect(rect.adjusted(-2, -2, 2, 1), Qt::IntersectClip);  // never over the grid lines
  painter.setPen(color);
  for (int i = 0; i < shown; ++i) layout.lineAt(i).draw(&painter, rect.topLeft());
  painter.restore();
}

void PrepareMarkup(QTextDocument& document, std::string_view cellText, const QRect& rect, const QFont& font) {
  document.setDocumentMargin(0);
  document.setDefaultFont(font);
  document.setTextWidth(rect.width());
  document.setHtml(FromTableBytes(cellText));
}

}  // namespace

QString TCellTextPainter::DisplayText(std::string_view cellText) {
  switch (ClassifyCellText(cellText)) {
    case TCellTextKind::kWide: {
      const std::u16string units = DecodeWideText(cellText);
      return WithLineSeparators(QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size())));
    }
    case TCellTextKind::kRich: {
      const std::u16string units = ReadRichText(cellText, DecodeBytes);
      return WithLineSeparators(QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size())));
    }
    case TCellTextKind::kMarkup:
      return FromTableBytes(cellText);
    case TCellTextKind::kPlain:
      break;
  }
  return WithLineSeparators(FromTableBytes(cellText));
}

void TCellTextPainter::Draw(QPainter& painter, std::string_view cellText, const QRect& textRect, const QFont& font,
                            const QColor& color) {
  if (cellText.empty() || textRect.width() <= 0 || textRect.height() <= 0) return;
  if (ClassifyCellText(cellText) != TCellTextKind::kMarkup) {
    DrawWholeLines(painter, DisplayText(cellText), textRect, font, color);
    return;
  }
  QTextDocument document;
  PrepareMarkup(document, cellText, textRect, font);
  QAbstractTextDocumentLayout::PaintContext context;
  context.palette.setColor(QPalette::Text, color);
  context.clip = QRectF(0, 0, textRect.width(), textRect.height());
  painter.save();
  painter.setClipRect(textRect, Qt::IntersectClip);
  painter.translate(textRect.topLeft());
  document.documentLayout()->draw(&painter, context);
  painter.restore();
}

QString TCellTextPainter::AnchorAt(std::string_view cellText, const QRect& textRect, const QFont& font, QPoint pos) {
  if (!textRect.contains(pos) || ClassifyCellText(cellText) != TCellTextKind::kMarkup) return {};
  QTextDocument document;
  PrepareMarkup(document, cellText, textRect, font);
  return document.documentLayout()->anchorAt(QPointF(pos - textRect.topLeft()));
}

}  // namespace metrazil
