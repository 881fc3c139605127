#pragma once

namespace metrazil {

// Where the text of a cell lies inside the cell's rectangle (its grid lines included along the right and
// bottom edge): the cell less its one-pixel inner edge and a 2-pixel margin left, top and right, and less
// one pixel at the bottom. The in-place editor, which covers the cell less its right and bottom pixel, puts
// its text in the same place, so that the text does not move when the editor opens.
struct TCellTextInset {
  static constexpr int kMargin = 2;
  static constexpr int kLeft = 1 + kMargin;
  static constexpr int kTop = 1 + kMargin;
  static constexpr int kRight = 1 + kMargin;
  static constexpr int kBottom = 1;
  // The editor's margins inside its own rectangle.
  static constexpr int kEditorRight = kRight - 1;
};

}  // namespace metrazil
