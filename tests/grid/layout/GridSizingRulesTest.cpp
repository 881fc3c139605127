#include <gtest/gtest.h>

#include <string>

#include "grid/layout/GridLinkTarget.h"
#include "grid/layout/GridScrollMapping.h"
#include "grid/layout/GridSizingRules.h"
#include "grid/layout/GridWheelAccumulator.h"
#include "grid/layout/GridWheelRules.h"
#include "grid/model/TableGrid.h"

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

TEST(LinkTarget, CellLinks) {
  const auto link = ParseCellLink("cell://r12C3");
  ASSERT_TRUE(link);
  EXPECT_EQ(link->row, 12);
  EXPECT_EQ(link->col, 3);
  const auto huge = ParseCellLink("CELL://R99999999999999999999999C0");
  ASSERT_TRUE(huge);
  EXPECT_GT(huge->row, 0x7fffffffLL);
  for (const char* bad : {"CELL://R1", "CELL://RC1", "CELL://R1C", "CELL://R1C2x", "CELL://R-1C2", "CELL:/R1C2",
                          "CELL://R 1C2", "http://R1C2", ""})
    EXPECT_FALSE(ParseCellLink(bad)) << bad;
}

TEST(LinkTarget, OnlyWebAndMailSchemesMayOpen) {
  for (const char* ok : {"http://example.com/", "HTTPS://example.com/a?b", "mailto:a@example.com", "MailTo:x"})
    EXPECT_TRUE(IsAllowedExternalLink(ok)) << ok;
  for (const char* scheme : {"http", "https", "mailto"}) EXPECT_TRUE(IsAllowedLinkScheme(scheme)) << scheme;
  for (const char* scheme : {"", "file", "javascript", "HTTP"}) EXPECT_FALSE(IsAllowedLinkScheme(scheme)) << scheme;
  for (const char* refused :
       {"file:///bin/sh", "C:\\Windows\\calc.exe", "calc.exe", "javascript:alert(1)", "smb://host/share",
        " http://example.com", "ftp://example.com", "x-custom://run", "httpx://a", "http", ""})
    EXPECT_FALSE(IsAllowedExternalLink(refused)) << refused;
}

}  // namespace
}  // namespace metrazil
