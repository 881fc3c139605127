#include <gtest/gtest.h>

#include "grid/layout/GridWheelAccumulator.h"
#include "grid/layout/GridWheelRules.h"

namespace metrazil {
namespace {

TEST(WheelAccumulator, PartialNotchesAddUpToWholeOnes) {
  TGridWheelAccumulator acc;
  EXPECT_EQ(acc.Add(-40), 0);
  EXPECT_EQ(acc.Add(-40), 0);
  EXPECT_EQ(acc.Add(-50), -1);
  EXPECT_EQ(acc.Add(-110), -1);  // with the 10 left over, a whole notch
  EXPECT_EQ(acc.Add(-60), 0);
  EXPECT_EQ(acc.Add(30), 0);  // a turn the other way starts afresh, without the 60
  EXPECT_EQ(acc.Add(90), 1);
  EXPECT_EQ(acc.Add(360), 3);
  EXPECT_EQ(acc.Add(0x7fffffff), 0x7fffffff / 120);
}

TEST(WheelRules, TargetRow) {
  struct Case {
    const char* name;
    int row, step, notches, expected;
  };
  // Body rows 1..10.
  const Case cases[] = {
      {"step then one per notch", 1, 3, 1, 5},
      {"clamped at the last row", 9, 3, 1, 10},
      {"up", 8, 3, -1, 4},
      {"clamped at the first body row", 3, 3, -1, 1},
      {"two notches in one event", 1, 3, 2, 6},
      {"step 0 still moves per notch", 4, 0, 1, 5},
      {"no notch moves nothing", 4, 3, 0, 4},
  };
  for (const auto& c : cases) EXPECT_EQ(WheelTargetRow(c.row, 1, 10, c.step, c.notches), c.expected) << c.name;
  EXPECT_EQ(WheelTargetRow(1, 1, 134217724, 3, 1), 5);
  EXPECT_EQ(WheelTargetRow(134217722, 1, 134217724, 0x7fffffff, 0x7fffffff), 134217724);
}

TEST(WheelRules, ZoomLimits) {
  EXPECT_TRUE(ZoomStepAllowed(6, 3));
  EXPECT_FALSE(ZoomStepAllowed(9, 3));
  EXPECT_TRUE(ZoomStepAllowed(-7, -3));
  EXPECT_FALSE(ZoomStepAllowed(-9, -3));
  EXPECT_FALSE(ZoomStepAllowed(0, 0x7fffffff));
}

}  // namespace
}  // namespace metrazil
