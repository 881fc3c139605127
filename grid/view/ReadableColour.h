#pragma once

#include <QColor>

namespace metrazil {

// `colour` where text in it reads on `background` (or the reverse), else the colour nearest to it that
// does: the core's contrast rule on Qt's colours. The alpha of `colour` stays.
QColor ReadableOn(const QColor& colour, const QColor& background);
// The contrast ratio of two of Qt's colours (1 to 21), alpha left out.
double ContrastRatio(const QColor& a, const QColor& b);

}  // namespace metrazil
