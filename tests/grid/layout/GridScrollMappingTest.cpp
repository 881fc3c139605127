#include <gtest/gtest.h>

#include <cstdint>

#include "grid/layout/GridScrollMapping.h"

namespace metrazil {
namespace {

TEST(ScrollMapping, EndsAndMiddleOfAHugeGrid) {
  // 134,217,725 rows of which the last 30 fit on screen: top rows 1..134217696.
  const std::int64_t first = 1, last = 134217696;
  EXPECT_EQ(ScrollBarValue(first, first, last), 0);
  EXPECT_EQ(ScrollBarValue(last, first, last), kScrollBarMax);
  EXPECT_EQ(ScrollBarValue(first + (last - first) / 2, first, last), 63);  // 63.5, just under
  EXPECT_EQ(ScrollBarPosition(0, first, last), first);
  EXPECT_EQ(ScrollBarPosition(kScrollBarMax, first, last), last);
  // One row from the top is still the first bar value: huge grids scroll in 128 steps.
  EXPECT_EQ(ScrollBarValue(first + 1, first, last), 0);
  EXPECT_EQ(ScrollBarValue(-5, first, last), 0);
  EXPECT_EQ(ScrollBarValue(last + 5, first, last), kScrollBarMax);
}

TEST(ScrollMapping, EveryBarValueRoundTripsAndIsMonotonic) {
  for (const std::int64_t last : {2LL, 5LL, 126LL, 128LL, 1000LL, 134217696LL}) {
    std::int64_t previous = -1;
    for (int v = 0; v <= kScrollBarMax; ++v) {
      const std::int64_t pos = ScrollBarPosition(v, 1, last);
      EXPECT_GE(pos, previous) << last << " " << v;
      previous = pos;
      if (last - 1 >= kScrollBarMax) {
        EXPECT_EQ(ScrollBarValue(pos, 1, last), v) << last << " " << v;
      }
    }
  }
  // Nothing to scroll: value 0, position the first one.
  EXPECT_EQ(ScrollBarValue(3, 1, 1), 0);
  EXPECT_EQ(ScrollBarPosition(100, 1, 1), 1);
}

}  // namespace
}  // namespace metrazil
