#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <string_view>

class QPainter;

namespace metrazil {

// Lays out and draws a cell's text in its text rectangle according to the kind of the text: plain, wide
// and rich texts as word-broken lines of which only whole ones are shown, markup through Qt's rich-text
// document with its tags hidden and its anchors drawn as links.
class TCellTextPainter {
 public:
  static void Draw(QPainter& painter, std::string_view cellText, const QRect& textRect, const QFont& font,
                   const QColor& color);

  // The link target under pos (viewport coordinates) when the cell's text is markup, else empty.
  static QString AnchorAt(std::string_view cellText, const QRect& textRect, const QFont& font, QPoint pos);

  // The text laid out for a plain, wide or rich cell text, line breaks as U+2028; markup stays as it is.
  static QString DisplayText(std::string_view cellText);
};

}  // namespace metrazil
