#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "grid/layout/GridGeometry.h"

namespace metrazil {

// Pixel rules of column sizing in the header row. A column's border is its left edge plus its width: the
// left edge of the next column, just right of the column's own grid line.

// Whether x lies in the sizing zone of the border at borderX: 3 pixels left of it to 4 pixels right of it.
bool InSizingZone(int x, int borderX);

// The width a drag released with its line at lineX gives a column whose left edge is colLeft; empty when
// the result is under 2 pixels, which leaves the width alone.
std::optional<int> DraggedWidth(int lineX, int colLeft);

// What a double-click at x in the header cell of a column (or in the empty area right of the last column)
// does: within 4 pixels of the left border it fits the column to the left, within 4 pixels of the right
// border the column itself, elsewhere neither (the header editor opens).
enum class THeaderDoubleClick { kFitLeftColumn, kFitColumn, kEditHeader };
THeaderDoubleClick ClassifyHeaderDoubleClick(int x, int colLeft, int borderX, bool hasColumnToLeft);

// What a double-click at (x, y) in the geometry's client does, and on which header column (see
// TGridGeometry::HeaderColAt); empty where it is no header double-click at all.
struct THeaderDoubleClickHit {
  THeaderDoubleClick action;
  int col;
};
std::optional<THeaderDoubleClickHit> HeaderDoubleClickAt(const TGridGeometry& geometry, std::int64_t x, std::int64_t y);

// Fitting measures no more than this many bytes of a line, which keeps it cheap for any text: a column is
// never fitted to more than several screens' width anyway.
inline constexpr std::size_t kMaxMeasuredBytes = 4096;

// The text before the first line break (CR or LF), cut after kMaxMeasuredBytes bytes.
std::string_view FirstLine(std::string_view text);

// The width FitColumn gives a column whose widest first line measures widestText pixels (0 for a column of
// empty texts): 4 pixels of margin per text plus 6, never under 10.
int FitWidth(int widestText);

}  // namespace metrazil
