#include <gtest/gtest.h>

#include <limits>

#include "base/MulDiv.h"

namespace metrazil {
namespace {

TEST(MulDivTest, RoundsHalvesAwayFromZeroAndGivesMinusOneForNoResult) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  struct Case {
    const char* name;
    int number;
    int numerator;
    int denominator;
    int result;
  };
  const Case cases[] = {
      {"exact", 8, 5, 4, 10},
      {"under a half", 1, 1, 3, 0},
      {"over a half", 2, 1, 3, 1},
      {"a half", 5, 1, 2, 3},
      {"a negative half", -5, 1, 2, -3},
      {"a negative denominator", 5, 1, -2, -3},
      {"both negative", -5, 1, -2, 3},
      {"zero denominator", 8, 5, 0, -1},
      {"product beyond 32 bits", kMax, kMax, kMax, kMax},
      {"the smallest int", kMin, 1, 1, kMin},
      {"result too large", kMax, 2, 1, -1},
      {"the smallest int negated", kMin, -1, 1, -1},
      {"result too small", kMin, 2, 1, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.result) << c.name;
}

}  // namespace
}  // namespace metrazil
