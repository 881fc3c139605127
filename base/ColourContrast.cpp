#include "base/ColourContrast.h"

#include <cmath>

namespace metrazil {

namespace {

double Linear(int channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// 0 for black to 1 for white.
double RelativeLuminance(TRgb colour) {
  return 0.2126 * Linear(colour.red) + 0.7152 * Linear(colour.green) + 0.0722 * Linear(colour.blue);
}

TRgb Blend(TRgb from, TRgb to, double t) {
  auto part = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
  return {part(from.red, to.red), part(from.green, to.green), part(from.blue, to.blue)};
}

}  // namespace

double ContrastRatio(TRgb a, TRgb b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

TRgb ReadableOn(TRgb colour, TRgb background) {
  if (ContrastRatio(colour, background) >= kMinTextContrast) return colour;
  constexpr TRgb kWhite{255, 255, 255};
  constexpr TRgb kBlack{0, 0, 0};
  const TRgb end = ContrastRatio(kWhite, background) >= ContrastRatio(kBlack, background) ? kWhite : kBlack;
  // The contrast grows along the way: the nearest point that reads, to a 256th of the way.
  double low = 0;
  double high = 1;
  for (int i = 0; i < 8; ++i) {
    const double middle = (low + high) / 2;
    (ContrastRatio(Blend(colour, end, middle), background) >= kMinTextContrast ? high : low) = middle;
  }
  return Blend(colour, end, high);
}

}  // namespace metrazil
