#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>
#include <functional>

class QWidget;

namespace metrazil {

// The design's own colours stay wherever they read, and give way on a desktop whose palette they do not
// read on (light text on a dark window): every text the window paints keeps a contrast of 4.5:1.

// Calls `apply` now and again whenever the palette `widget` inherits changes, as when the desktop switches
// to another colour scheme. `apply` may set the widget's palette.
void FollowPalette(QWidget* widget, std::function<void()> apply);

// The colour a widget is painted on: that of the nearest widget around it that fills its background, or the
// pane of the nearest tab widget around it as the style paints it, else the window colour.
QColor BackgroundBehind(const QWidget* widget);

// Keeps the text colour `role` of the widget's palette readable on what the widget is painted on: `design`
// (the inherited `role` itself when invalid) where it reads, else the inherited `counterpart` (when not
// NoRole) or else `design`, moved just far enough to read.
void KeepReadable(QWidget* widget, QPalette::ColorRole role, const QColor& design,
                  QPalette::ColorRole counterpart = QPalette::NoRole);

// The icon as it is where its glyph reads on `background`, else the glyph's shape in `ink`.
QIcon ReadableIcon(const QIcon& icon, const QColor& background, const QColor& ink);

}  // namespace metrazil
