#include <gtest/gtest.h>

#include "base/ColourContrast.h"

namespace metrazil {
namespace {

constexpr TRgb kWhite{255, 255, 255};
constexpr TRgb kBlack{0, 0, 0};

TEST(ColourContrast, RatiosOfKnownPairs) {
  EXPECT_DOUBLE_EQ(ContrastRatio(kBlack, kWhite), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(kWhite, kBlack), 21.0);
  EXPECT_DOUBLE_EQ(ContrastRatio(TRgb{66, 66, 69}, TRgb{66, 66, 69}), 1.0);
  EXPECT_NEAR(ContrastRatio(TRgb{118, 118, 118}, kWhite), 4.54, 0.01);  // the lightest grey that reads on white
  EXPECT_NEAR(ContrastRatio(TRgb{0, 0, 255}, kWhite), 8.59, 0.01);
}

TEST(ColourContrast, ReadableOnKeepsWhatReadsAndMovesTheRestJustFarEnough) {
  struct Case {
    const char* name;
    TRgb colour;
    TRgb background;
  } cases[] = {
      {"navy on a light window", {0, 0, 128}, {239, 239, 239}},
      {"navy on a dark window", {0, 0, 128}, {34, 32, 32}},
      {"a dark desktop's link on its window", {9, 134, 211}, {34, 32, 32}},
      {"dark red on a dark window", {160, 0, 0}, {34, 32, 32}},
      {"white on white", kWhite, kWhite},
      {"a light pink field under white text", {255, 204, 204}, kWhite},
      {"black on black", kBlack, kBlack},
      {"grey on a mid grey, where black reads the better", {128, 128, 128}, {119, 119, 119}},
  };
  for (const Case& c : cases) {
    const TRgb readable = ReadableOn(c.colour, c.background);
    const double ratio = ContrastRatio(readable, c.background);
    if (ContrastRatio(c.colour, c.background) >= kMinTextContrast) {
      EXPECT_EQ(readable, c.colour) << c.name;
      continue;
    }
    EXPECT_GE(ratio, kMinTextContrast) << c.name;
    EXPECT_LT(ratio, kMinTextContrast + 0.2) << c.name;  // no further than it has to
  }
  // The hue stays: a dark red becomes a light red, navy a light blue.
  const TRgb red = ReadableOn({160, 0, 0}, {34, 32, 32});
  EXPECT_GT(red.red, red.green);
  const TRgb blue = ReadableOn({0, 0, 128}, {34, 32, 32});
  EXPECT_GT(blue.blue, blue.red);
  // Towards the end that reads the better, even from a colour lighter than the background.
  EXPECT_LT(ReadableOn({128, 128, 128}, {119, 119, 119}).red, 119);
}

}  // namespace
}  // namespace metrazil
