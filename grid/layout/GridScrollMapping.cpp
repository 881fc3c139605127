#include "grid/layout/GridScrollMapping.h"

#include <algorithm>

namespace metrazil {

int ScrollBarValue(std::int64_t pos, std::int64_t firstPos, std::int64_t lastPos) {
  if (lastPos <= firstPos) return 0;
  const std::int64_t span = lastPos - firstPos;
  const std::int64_t offset = std::clamp(pos, firstPos, lastPos) - firstPos;
  // Rounded to the nearest value; span is below 2^31, so the product stays far inside 64 bits.
  return static_cast<int>((offset * kScrollBarMax + span / 2) / span);
}

std::int64_t ScrollBarPosition(int value, std::int64_t firstPos, std::int64_t lastPos) {
  if (lastPos <= firstPos) return firstPos;
  const std::int64_t span = lastPos - firstPos;
  const std::int64_t v = std::clamp(value, 0, kScrollBarMax);
  return firstPos + (v * span + kScrollBarMax / 2) / kScrollBarMax;
}

}  // namespace metrazil
