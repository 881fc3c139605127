#pragma once

#include <array>

namespace metrazil {

// The window icon rendered at build time from ui/Icon.svg: for each size in turn, size × size pixels of
// premultiplied 32-bit ARGB in the machine's byte order, lines top to bottom.
inline constexpr std::array<int, 4> kIconSizes{16, 32, 64, 128};
extern const unsigned char kIconPixels[];

}  // namespace metrazil
