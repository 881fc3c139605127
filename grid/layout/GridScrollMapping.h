#pragma once

#include <cstdint>

namespace metrazil {

// Scroll bars always run from 0 to kScrollBarMax, whatever the number of rows or columns, so a grid of any
// size scrolls in the same fixed number of thumb positions. Positions are top rows or left columns; the
// possible ones are firstPos..lastPos (the first scrollable index and the largest clamped top-left index).

inline constexpr int kScrollBarMax = 127;

// The bar value showing pos; 0 when there is nothing to scroll. pos outside the range is clamped.
int ScrollBarValue(std::int64_t pos, std::int64_t firstPos, std::int64_t lastPos);

// The position a bar value stands for; the inverse of ScrollBarValue for every bar value.
std::int64_t ScrollBarPosition(int value, std::int64_t firstPos, std::int64_t lastPos);

}  // namespace metrazil
