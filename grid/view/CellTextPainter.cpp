#include "grid/view/CellTextPainter.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>
#include <QVariant>
#include <algorithm>
#include <climits>

#include "grid/layout/CellTextKind.h"
#include "grid/layout/ShownCellText.h"
#include "grid/view/CodePageText.h"

namespace metrazil {

namespace {

QString WithLineSeparators(QString text) {
  text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
  text.replace(QLatin1Char('\r'), QChar::LineSeparator);
  text.replace(QLatin1Char('\n'), QChar::LineSeparator);
  return text;
}

std::u16string DecodeBytes(std::string_view bytes) { return FromTableBytes(bytes).toStdU16String(); }

QString FromUnits(const std::u16string& units) {
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

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
    // Further lines show only whole; the first always shows, cut at the cell, so that a font zoomed
    // past the row height does not leave the grid looking empty.
    if (shown > 0 && y + lineHeight > rect.height()) break;
    line.setPosition(QPointF(0, y + metrics.ascent() - line.ascent()));
    y += lineHeight;
    ++shown;
  }
  layout.endLayout();
  if (shown == 0) return;
  painter.save();
  painter.setClipRect(rect.adjusted(-2, -2, 2, 0), Qt::IntersectClip);  // the content: never over the grid lines
  painter.setPen(color);
  for (int i = 0; i < shown; ++i) layout.lineAt(i).draw(&painter, rect.topLeft());
  painter.restore();
}

// A document that never loads a resource: a cell's markup names no file, device or address that painting
// may open. Pictures and style sheets come out empty; the rest of the text lays out as usual.
class TCellDocument : public QTextDocument {
 public:
  using QTextDocument::QTextDocument;

 protected:
  QVariant loadResource(int type, const QUrl&) override {
    // A null picture would be replaced by a placeholder icon; an empty one draws nothing.
    if (type == QTextDocument::ImageResource) {
      QImage nothing(1, 1, QImage::Format_ARGB32_Premultiplied);
      nothing.fill(Qt::transparent);
      return nothing;
    }
    return QString();
  }
};

// How many characters can show in the rectangle: painting lays out no more of a text than that.
std::size_t VisibleChars(const QRect& rect, const QFont& font, QPaintDevice* device) {
  const QFontMetricsF metrics(font, device);
  return VisibleCharLimit(rect.width(), rect.height(), static_cast<int>(metrics.height()));
}

// What a cell shows, as painting lays it out: plain, wide and rich text as lines, markup as a document.
TShownCellText Shown(std::string_view cellText, std::size_t maxChars) {
  return ShownCellText(cellText, maxChars, DecodeBytes);
}

QString LinesOf(const TShownCellText& shown, std::size_t maxChars) {
  const bool decoded = shown.kind == TCellTextKind::kWide || shown.kind == TCellTextKind::kRich;
  return WithLineSeparators(decoded ? FromUnits(shown.units) : FromTableBytes(shown.bytes, maxChars));
}

void PrepareMarkup(QTextDocument& document, std::string_view markup, const QRect& rect, const QFont& font) {
  document.setDocumentMargin(0);
  document.setDefaultFont(font);
  document.setTextWidth(rect.width());
  document.setHtml(FromTableBytes(markup));
}

}  // namespace

QString TCellTextPainter::DisplayText(std::string_view cellText, std::size_t maxChars) {
  const TShownCellText shown = Shown(cellText, maxChars);
  if (shown.kind != TCellTextKind::kMarkup) return LinesOf(shown, maxChars);
  TCellDocument document;
  document.setHtml(FromTableBytes(shown.bytes));
  // Pictures draw as nothing, so their placeholder characters are not part of the text.
  QString text = document.toPlainText().remove(QChar::ObjectReplacementCharacter);
  text.truncate(static_cast<qsizetype>(std::min<std::size_t>(maxChars, INT_MAX)));
  return WithLineSeparators(std::move(text));
}

void TCellTextPainter::Draw(QPainter& painter, std::string_view cellText, const QRect& textRect, const QFont& font,
                            const QColor& color) {
  if (cellText.empty() || textRect.width() <= 0 || textRect.height() <= 0) return;
  const std::size_t visible = VisibleChars(textRect, font, painter.device());
  const TShownCellText shown = Shown(cellText, visible);
  if (shown.kind != TCellTextKind::kMarkup) {
    DrawWholeLines(painter, LinesOf(shown, visible), textRect, font, color);
    return;
  }
  TCellDocument document;
  PrepareMarkup(document, shown.bytes, textRect, font);
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
  const TShownCellText shown = Shown(cellText, VisibleChars(textRect, font, nullptr));
  if (shown.kind != TCellTextKind::kMarkup) return {};
  TCellDocument document;
  PrepareMarkup(document, shown.bytes, textRect, font);
  return document.documentLayout()->anchorAt(QPointF(pos - textRect.topLeft()));
}

}  // namespace metrazil
