#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

namespace metrazil {

// The caption of the message dialog's one button.
inline constexpr const char* kNoticeOkCaption = "确定";

// The dialog's text as its label shows it: a CR LF is one line break.
QString NoticeShownText(const QString& text);

// Sizes of the message dialog, all derived from its font and the width of the primary screen.
struct TNoticeLayout {
  int charWidth = 0;   // X: width of "A".."Z" "a".."z" divided by 52
  int charHeight = 0;  // Y: height of that string
  int horizontalMargin = 0;
  int verticalMargin = 0;
  int verticalSpacing = 0;
  int buttonWidth = 0;
  int buttonHeight = 0;
  QRect textRect;  // word-broken text within half the screen width, at (0, 0)
  QRect labelGeometry;
  QRect buttonGeometry;
  QSize clientSize;

  static TNoticeLayout Compute(const QFont& font, const QString& text, int screenWidth);
};

}  // namespace metrazil
