#pragma once

#include <QObject>

#include "grid/layout/GridWheelAccumulator.h"

class QWheelEvent;

namespace metrazil {

class TTableGridView;

// The wheel moves the focused cell (step rows plus one per notch), Ctrl+wheel zooms, and a notch while the
// in-place editor has the keyboard focus moves one row, which ends the edit.
class TGridWheelController : public QObject {
  Q_OBJECT

 public:
  explicit TGridWheelController(TTableGridView& view);

  // Always takes the event; one that reaches the grid while neither it nor its editor has the keyboard
  // focus moves nothing.
  void Wheel(QWheelEvent* event);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Changes the zoom level and every column width and row height by step; nothing when the level would
  // leave -10..10.
  void ZoomBy(int step);
  void MoveRows(int notches, int step);

  TTableGridView& view_;
  int step_;  // the platform's lines per notch when the grid was made
  TGridWheelAccumulator accumulator_;
};

}  // namespace metrazil
