#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "grid/layout/GridGeometry.h"
#include "grid/layout/GridSizingRules.h"
#include "grid/model/TableGrid.h"

namespace metrazil {
namespace {

TEST(SizingRules, ZoneDragAndFit) {
  for (int d = -6; d <= 7; ++d) EXPECT_EQ(InSizingZone(100 + d, 100), d >= -3 && d <= 4) << d;
  EXPECT_EQ(DraggedWidth(150, 100), 50);
  EXPECT_EQ(DraggedWidth(102, 100), 2);
  EXPECT_EQ(DraggedWidth(101, 100), std::nullopt);
  EXPECT_EQ(DraggedWidth(40, 100), std::nullopt);
  EXPECT_EQ(FitWidth(0), 10);
  EXPECT_EQ(FitWidth(37), 47);
  EXPECT_EQ(FirstLine("ab\r\ncd"), "ab");
  EXPECT_EQ(FirstLine("ab\ncd"), "ab");
  EXPECT_EQ(FirstLine("abc"), "abc");
  const std::string longLine(kMaxMeasuredBytes + 1, 'x');
  EXPECT_EQ(FirstLine(longLine).size(), kMaxMeasuredBytes);
  EXPECT_EQ(FirstLine(longLine.substr(1)).size(), kMaxMeasuredBytes);
}

TEST(SizingRules, HeaderDoubleClick) {
  // A column of 64 pixels from x 65 (its own grid line at 128); the empty area starts at its border, 129.
  using D = THeaderDoubleClick;
  struct Case {
    int x;
    bool hasLeft;
    D expected;
  };
  const Case cases[] = {{65, true, D::kFitLeftColumn}, {68, true, D::kFitLeftColumn}, {69, true, D::kEditHeader},
                        {65, false, D::kEditHeader},   {100, true, D::kEditHeader},   {125, true, D::kEditHeader},
                        {126, true, D::kFitColumn},    {128, true, D::kFitColumn},    {132, true, D::kFitColumn},
                        {133, true, D::kEditHeader}};
  for (const auto& c : cases) EXPECT_EQ(ClassifyHeaderDoubleClick(c.x, 65, 129, c.hasLeft), c.expected) << c.x;
}

TEST(SizingRules, HeaderDoubleClickAtTakesTheAreaRightOfTheLastColumn) {
  TTableGrid grid;  // header row, 5 columns of 64 ending at 320
  grid.SetFixedCols(0);
  const TGridGeometry geometry(grid, 400, 200);
  using D = THeaderDoubleClick;
  struct Case {
    std::int64_t x, y;
    bool hit;
    D action;
    int col;
  } cases[] = {
      {2, 5, true, D::kEditHeader, 0},  // the first column has no border left of it to fit
      {30, 5, true, D::kEditHeader, 0}, {66, 5, true, D::kFitLeftColumn, 1}, {318, 5, true, D::kFitColumn, 4},
      {322, 5, true, D::kFitColumn, 4}, {360, 5, true, D::kEditHeader, 4},   {30, 30, false, D::kEditHeader, -1},
  };
  for (const Case& c : cases) {
    const auto hit = HeaderDoubleClickAt(geometry, c.x, c.y);
    ASSERT_EQ(hit.has_value(), c.hit) << c.x << "," << c.y;
    if (!hit) continue;
    EXPECT_EQ(hit->action, c.action) << c.x;
    EXPECT_EQ(hit->col, c.col) << c.x;
  }
}

}  // namespace
}  // namespace metrazil
