#pragma once

#include <array>

namespace metrazil {

// The window's pictures rendered at build time, so that start-up draws none and looks none up: the window
// icon from ui/Icon.svg at each size the window manager is given, the banner from ui/Banner.svg on white,
// the close button's glyph as the style draws it without an icon theme, and a small group frame without
// caption as the Fusion style draws it. Each is premultiplied 32-bit ARGB in the machine's byte order,
// lines top to bottom, one size after another.
inline constexpr std::array<int, 4> kIconSizes{16, 32, 64, 128};
extern const unsigned char kIconPixels[];
inline constexpr int kBannerWidth = 249;
inline constexpr int kBannerHeight = 49;
extern const unsigned char kBannerPixels[];
inline constexpr std::array<int, 2> kCloseGlyphSizes{16, 32};
extern const unsigned char kCloseGlyphPixels[];
inline constexpr int kGroupFrameSize = 64;
extern const unsigned char kGroupFramePixels[];

}  // namespace metrazil
