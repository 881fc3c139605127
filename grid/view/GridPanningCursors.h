#pragma once

#include <QCursor>

namespace metrazil {

// The pointer shapes while panning: a round mark with both arrows at rest, one arrow while moving.
enum class TPanDirection { kNone, kUp, kDown };

// The direction the pointer's height gives relative to the press point: more than 5 pixels off to move.
TPanDirection PanDirection(int pressY, int pointerY);

QCursor PanningCursor(TPanDirection direction);

}  // namespace metrazil
