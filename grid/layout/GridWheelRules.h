#pragma once

namespace metrazil {

inline constexpr int kMinZoomLevel = -10;
inline constexpr int kMaxZoomLevel = 10;

// Row the focus goes to for one wheel event of `notches` whole notches (positive: towards the user, down):
// first `step` rows, then one more per notch, all clamped to firstBodyRow..lastRow. With no notch nothing
// moves.
int WheelTargetRow(int row, int firstBodyRow, int lastRow, int step, int notches);

// Whether the zoom level may change by step: the result has to stay within kMinZoomLevel..kMaxZoomLevel.
bool ZoomStepAllowed(int level, int step);

}  // namespace metrazil
