#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <string_view>

class QPainter;

namespace metrazil {

// Lays out and draws a cell's text in its text rectangle according to the kind of the text: plain, wide
// and rich texts as lines broken between words, never inside one, of which only whole ones are shown (the
// first always, cut at the cell; a word wider than the cell is cut at its right edge), markup
// through Qt's rich-text document with its tags hidden and its anchors drawn as links. Only as much of a text as can
// show in the rectangle is laid out, and markup loads no resource, so any cell paints in bounded time and memory.
class TCellTextPainter {
 public:
  // Draws the text in `color`, the links of markup in `linkColor`.
  static void Draw(QPainter& painter, std::string_view cellText, const QRect& textRect, const QFont& font,
                   const QColor& color, const QColor& linkColor);

  // The lines a plain, wide or rich text shows in its text rectangle, as painting lays them out (on the
  // screen's metrics); none for markup.
  static QStringList LineTexts(std::string_view cellText, const QRect& textRect, const QFont& font);

  // The link target under pos (viewport coordinates) when the cell's text is markup, else empty.
  static QString AnchorAt(std::string_view cellText, const QRect& textRect, const QFont& font, QPoint pos);

  // The text a cell shows, line breaks as U+2028, cut after maxChars characters: the lines laid out for a
  // plain, wide or rich text (and markup too deep to lay out, tags and all), the plain text of markup's
  // document.
  static QString DisplayText(std::string_view cellText, std::size_t maxChars = std::string_view::npos);
};

}  // namespace metrazil
