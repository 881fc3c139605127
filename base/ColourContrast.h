#pragma once

namespace metrazil {

// How well a text colour reads on a background, by the contrast ratio of their relative luminances (sRGB):
// from 1 (the same) to 21 (black on white). Text reads at kMinTextContrast and above.

struct TRgb {
  int red = 0;  // 0..255 each
  int green = 0;
  int blue = 0;

  friend bool operator==(const TRgb&, const TRgb&) = default;
};

inline constexpr double kMinTextContrast = 4.5;

// (lighter + 0.05) / (darker + 0.05), whichever of the two is lighter.
double ContrastRatio(TRgb a, TRgb b);

// `colour` where it reads on `background`; else the colour nearest to it on the straight way from it towards
// white or black, whichever reads on the background the better, that reads. One of the two always does.
TRgb ReadableOn(TRgb colour, TRgb background);

}  // namespace metrazil
