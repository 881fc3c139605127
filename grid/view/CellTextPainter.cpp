#include "grid/view/CellTextPainter.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>
#include <QVariant>
#include <algorithm>
#include <climits>
#include <memory>
#include <string_view>
#include <vector>

#include "grid/layout/CellTextInset.h"
#include "grid/text/CellTextKind.h"
#include "grid/text/LineBreakRules.h"
#include "grid/text/ShownCellText.h"
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

// The lines of a plain text that show in a text rectangle: lines break where the line-break rules allow, so
// a word is never broken inside; the first line always shows, further ones only whole. Each line is laid
// out from its start to the end of its paragraph, which measures where it breaks; what follows the break, and
// what runs past the cell's edge, is not drawn.
class TShownLines {
 public:
  TShownLines(const QString& text, const QRect& rect, const QFont& font, QPaintDevice* device) {
    if (text.isEmpty() || rect.width() <= 0 || rect.height() <= 0) return;
    // Lines are spaced by the cell font's own height: glyphs taken from a fallback font (Chinese text in a
    // Latin font) must not make a line too tall for a 21-pixel row.
    const QFontMetricsF metrics(font, device);
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(8 * metrics.averageCharWidth());
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<std::size_t>(text.size()));
    const qreal lineHeight = metrics.height();
    const qreal clipWidth = rect.width() + kClipMargin;
    qreal y = 0;
    std::size_t begin = 0;
    while (begin < units.size() || lines_.empty()) {
      // The first line always shows, cut at the cell, so that a font zoomed past the row height does not leave
      // the grid looking empty.
      if (!lines_.empty() && y + lineHeight > rect.height()) break;
      const std::size_t paragraphEnd = ParagraphEnd(units, begin);
      const std::u16string_view paragraph = units.substr(begin, paragraphEnd - begin);
      TLine line;
      line.layout = std::make_unique<QTextLayout>(text.mid(Index(begin), Index(paragraph.size())), font, device);
      line.layout->setTextOption(option);
      line.layout->beginLayout();
      QTextLine laidOut = line.layout->createLine();
      laidOut.setLineWidth(kUnboundedWidth);
      laidOut.setPosition(QPointF(0, y + metrics.ascent() - laidOut.ascent()));
      line.layout->endLayout();
      line.length = paragraph.size();
      if (laidOut.naturalTextWidth() > rect.width()) {
        line.length =
            FirstLineLength(paragraph, rect.width(), [&laidOut](std::size_t n) { return laidOut.cursorToX(Index(n)); });
      }
      line.drawn = line.length;
      if (laidOut.cursorToX(Index(line.length)) > clipWidth) {
        // A word wider than the cell: only the characters up to its edge are drawn.
        const int atEdge = std::max(0, laidOut.xToCursor(clipWidth, QTextLine::CursorOnCharacter));
        line.drawn = std::min(line.length, static_cast<std::size_t>(atEdge) + 2);
      }
      lines_.push_back(std::move(line));
      begin += lines_.back().length;
      if (begin == paragraphEnd && begin < units.size()) ++begin;  // past the separator
      y += lineHeight;
    }
  }

  void Draw(QPainter& painter, const QRect& rect, const QColor& color) const {
    if (lines_.empty()) return;
    painter.save();
    // The content: never over the grid lines.
    painter.setClipRect(rect.adjusted(-kClipMargin, -kClipMargin, kClipMargin, 0), Qt::IntersectClip);
    painter.setPen(color);
    for (const TLine& line : lines_) {
      if (line.drawn == static_cast<std::size_t>(line.layout->text().size())) {
        line.layout->draw(&painter, rect.topLeft());
        continue;
      }
      for (const QGlyphRun& run : line.layout->lineAt(0).glyphRuns(0, Index(line.drawn))) {
        painter.drawGlyphRun(rect.topLeft(), run);
      }
    }
    painter.restore();
  }

  QStringList Texts() const {
    QStringList texts;
    for (const TLine& line : lines_) texts.append(line.layout->text().left(Index(line.length)));
    return texts;
  }

 private:
  struct TLine {
    std::unique_ptr<QTextLayout> layout;  // one unwrapped line: from the line's start to its paragraph's end
    std::size_t length = 0;               // the characters on this line
    std::size_t drawn = 0;                // those that reach into the cell
  };

  static int Index(std::size_t index) { return static_cast<int>(index); }
  static constexpr qreal kUnboundedWidth = 1 << 24;            // a line ends where the rules say, not at a width
  static constexpr int kClipMargin = TCellTextInset::kMargin;  // a glyph may reach into the text's margin

  std::vector<TLine> lines_;
};

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

void PrepareMarkup(QTextDocument& document, std::string_view markup, const QRect& rect, const QFont& font,
                   const QColor& linkColor = {}) {
  document.setDocumentMargin(0);
  document.setDefaultFont(font);
  // Links take the application palette's link colour unless told otherwise; a style sheet costs a parse
  // per paint, so only where that colour would not read.
  if (linkColor.isValid() && linkColor != QGuiApplication::palette().color(QPalette::Link)) {
    document.setDefaultStyleSheet(QStringLiteral("a { color: %1; }").arg(linkColor.name()));
  }
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
                            const QColor& color, const QColor& linkColor) {
  if (cellText.empty() || textRect.width() <= 0 || textRect.height() <= 0) return;
  const std::size_t visible = VisibleChars(textRect, font, painter.device());
  const TShownCellText shown = Shown(cellText, visible);
  if (shown.kind != TCellTextKind::kMarkup) {
    TShownLines(LinesOf(shown, visible), textRect, font, painter.device()).Draw(painter, textRect, color);
    return;
  }
  TCellDocument document;
  PrepareMarkup(document, shown.bytes, textRect, font, linkColor);
  QAbstractTextDocumentLayout::PaintContext context;
  context.palette.setColor(QPalette::Text, color);
  context.clip = QRectF(0, 0, textRect.width(), textRect.height());
  painter.save();
  painter.setClipRect(textRect, Qt::IntersectClip);
  painter.translate(textRect.topLeft());
  document.documentLayout()->draw(&painter, context);
  painter.restore();
}

QStringList TCellTextPainter::LineTexts(std::string_view cellText, const QRect& textRect, const QFont& font) {
  const std::size_t visible = VisibleChars(textRect, font, nullptr);
  const TShownCellText shown = Shown(cellText, visible);
  if (shown.kind == TCellTextKind::kMarkup) return {};
  return TShownLines(LinesOf(shown, visible), textRect, font, nullptr).Texts();
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
