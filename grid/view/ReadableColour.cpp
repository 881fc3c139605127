#include "grid/view/ReadableColour.h"

#include "base/ColourContrast.h"

namespace metrazil {

namespace {

TRgb ToRgb(const QColor& colour) { return TRgb{colour.red(), colour.green(), colour.blue()}; }

}  // namespace

QColor ReadableOn(const QColor& colour, const QColor& background) {
  const TRgb in = ToRgb(colour);
  const TRgb readable = ReadableOn(in, ToRgb(background));
  // The colour itself when it reads, in whatever form it was given.
  return readable == in ? colour : QColor(readable.red, readable.green, readable.blue, colour.alpha());
}

double ContrastRatio(const QColor& a, const QColor& b) { return ContrastRatio(ToRgb(a), ToRgb(b)); }

}  // namespace metrazil
