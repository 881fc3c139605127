#include "grid/view/ReadableColour.h"

#include "base/ColourContrast.h"

namespace metrazil {

QColor ReadableOn(const QColor& colour, const QColor& background) {
  const TRgb readable = ReadableOn(TRgb{colour.red(), colour.green(), colour.blue()},
                                   TRgb{background.red(), background.green(), background.blue()});
  QColor result(readable.red, readable.green, readable.blue, colour.alpha());
  return result == colour ? colour : result;
}

}  // namespace metrazil
