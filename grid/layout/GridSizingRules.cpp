#include "grid/layout/GridSizingRules.h"

#include <algorithm>

namespace metrazil {

bool InSizingZone(int x, int borderX) {
  const long long d = static_cast<long long>(x) - borderX;
  return d >= -3 && d <= 4;
}

std::optional<int> DraggedWidth(int lineX, int colLeft) {
  const long long width = static_cast<long long>(lineX) - colLeft;
  if (width < 2 || width > 0x7fffffff) return std::nullopt;
  return static_cast<int>(width);
}

THeaderDoubleClick ClassifyHeaderDoubleClick(int x, int colLeft, int borderX, bool hasColumnToLeft) {
  // colLeft is the border of the column before this one.
  const long long fromLeft = static_cast<long long>(x) - colLeft;
  if (hasColumnToLeft && fromLeft >= 0 && fromLeft < 4) return THeaderDoubleClick::kFitLeftColumn;
  const long long toRight = static_cast<long long>(borderX) - x;
  if (toRight < 4 && toRight > -4) return THeaderDoubleClick::kFitColumn;
  return THeaderDoubleClick::kEditHeader;
}

std::optional<THeaderDoubleClickHit> HeaderDoubleClickAt(const TGridGeometry& geometry, std::int64_t x,
                                                         std::int64_t y) {
  const int col = geometry.HeaderColAt(x, y);
  if (col < 0) return std::nullopt;
  const TGridRect rect = geometry.CellRect(col, 0);
  const THeaderDoubleClick action = ClassifyHeaderDoubleClick(static_cast<int>(x), static_cast<int>(rect.left),
                                                              static_cast<int>(rect.right), col > 0);
  return THeaderDoubleClickHit{action, col};
}

std::string_view FirstLine(std::string_view text) {
  // A plain loop: find_first_of tests every byte against the set with a call of its own.
  const std::size_t limit = std::min(text.size(), kMaxMeasuredBytes);
  std::size_t end = 0;
  while (end < limit && text[end] != '\r' && text[end] != '\n') ++end;
  return text.substr(0, end);
}

int FitWidth(int widestText) {
  const long long width = static_cast<long long>(std::max(widestText, 0)) + 4 + 6;
  return static_cast<int>(std::clamp<long long>(width, 10, 0x7fffffff));
}

}  // namespace metrazil
