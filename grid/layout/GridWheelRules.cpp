#include "grid/layout/GridWheelRules.h"

#include <algorithm>
#include <cstdint>

namespace metrazil {

int WheelTargetRow(int row, int firstBodyRow, int lastRow, int step, int notches) {
  if (notches == 0 || lastRow < firstBodyRow) return row;
  const std::int64_t direction = notches > 0 ? 1 : -1;
  const std::int64_t extra = notches > 0 ? notches : -static_cast<std::int64_t>(notches);
  const std::int64_t rows = static_cast<std::int64_t>(std::max(step, 0)) + extra;
  return static_cast<int>(std::clamp<std::int64_t>(row + direction * rows, firstBodyRow, lastRow));
}

bool ZoomStepAllowed(int level, int step) {
  const long long next = static_cast<long long>(level) + step;
  return next >= kMinZoomLevel && next <= kMaxZoomLevel;
}

}  // namespace metrazil
