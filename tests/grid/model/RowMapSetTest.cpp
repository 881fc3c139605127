#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <set>

#include "grid/model/RowMapSet.h"

namespace metrazil {
namespace {

TEST(RowMapSetTest, MatchesPlainSetUnderRandomOperations) {
  std::mt19937 random(11);
  const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  for (int round = 0; round < 300; ++round) {
    TRowMapSet maps;
    std::set<int> model;
    // What a rotation does to the plain set: the row at from goes to to, those between move one towards from.
    const auto rotate = [&model](int from, int to) {
      const bool mapped = model.erase(from) > 0;
      std::set<int> moved;
      for (const int r : model)
        moved.insert(r >= std::min(from, to) && r <= std::max(from, to) ? r + (from < to ? -1 : 1) : r);
      if (mapped) moved.insert(to);
      model = std::move(moved);
    };
    for (int step = 0; step < 60; ++step) {
      const int kind = pick(0, 3);
      if (kind == 0) {
        const int first = pick(0, 30);
        const int last = first + pick(0, pick(0, 1) == 0 ? 0 : 8);
        maps.Add(first, last);
        for (int row = first; row <= last; ++row) model.insert(row);
      } else if (kind == 3) {
        // The inverse rotation, which an undone row removal uses.
        const int row = pick(0, 30);
        const int last = pick(0, 34);
        maps.RotateFromEnd(row, last);
        if (row < last) rotate(last, row);
      } else {
        const int row = pick(0, 30);
        const int last = pick(0, 34);
        maps.RotateToEnd(row, last);
        if (row < last) rotate(row, last);
      }
      for (int row = 0; row < 40; ++row) {
        ASSERT_EQ(maps.Contains(row), model.count(row) > 0) << "round " << round << " step " << step << " row " << row;
      }
    }
  }
}

TEST(RowMapSetTest, RowsUpToTheLargestIndex) {
  TRowMapSet maps;
  maps.Add(INT_MAX - 2, INT_MAX);
  maps.Add(0, INT_MAX - 4);
  EXPECT_FALSE(maps.Contains(INT_MAX - 3));
  maps.Add(INT_MAX - 3);
  maps.RotateToEnd(0, INT_MAX);
  for (const int row : {0, INT_MAX - 3, INT_MAX}) EXPECT_TRUE(maps.Contains(row)) << row;

  TRowMapSet gapAtTop;
  gapAtTop.Add(1, INT_MAX);
  gapAtTop.RotateToEnd(0, INT_MAX);
  EXPECT_TRUE(gapAtTop.Contains(0));
  EXPECT_TRUE(gapAtTop.Contains(INT_MAX - 1));
  EXPECT_FALSE(gapAtTop.Contains(INT_MAX));
}

}  // namespace
}  // namespace metrazil
