#include "grid/view/GridStyle.h"

#include <QPalette>
#include <QWidget>
#include <algorithm>

#include "grid/view/ReadableColour.h"

namespace metrazil {
namespace {

constexpr int kBodyPointSize = 9;    // 12-pixel character height at 96 dpi
constexpr int kHeaderPointSize = 8;  // 11-pixel character height at 96 dpi

QFont Tahoma(int pointSize) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(std::max(1, pointSize));
  return font;
}

}  // namespace

TGridStyle TGridStyle::For(const QPalette& palette, int zoomLevel) {
  TGridStyle style;
  style.bodyFont = Tahoma(kBodyPointSize + zoomLevel);
  style.headerFont = Tahoma(kHeaderPointSize + zoomLevel);
  style.headerFont.setBold(true);
  style.editorFont = Tahoma(kBodyPointSize);
  style.cellColor = palette.color(QPalette::Base);
  style.fixedColor = palette.color(QPalette::Button);
  style.textColor = palette.color(QPalette::Text);
  style.headerTextColor = ReadableOn(style.textColor, style.fixedColor);
  style.headerTopColor = ReadableOn(QColor(Qt::white), style.headerTextColor);
  const QColor link = palette.color(QPalette::Link);
  style.linkColor = ReadableOn(link, style.cellColor);
  style.selectionLinkColor = ReadableOn(link, style.selectionColor);
  style.headerLinkColor = ReadableOn(link, style.fixedColor);
  return style;
}

void TGridStyle::ApplyToEditor(QWidget& editor) const {
  editor.setFont(editorFont);
  QPalette colours = editor.palette();
  colours.setColor(QPalette::Base, cellColor);
  colours.setColor(QPalette::Window, cellColor);  // the in-place editor's text margins
  colours.setColor(QPalette::Text, textColor);
  editor.setPalette(colours);
}

}  // namespace metrazil
