#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>

class QMouseEvent;

namespace metrazil {

class TTableGridView;

// Middle-button panning: after a middle press the grid holds the pointer, and every 10 ms the focused cell
// moves one row towards the side the pointer has moved to (more than 5 pixels above or below the press).
// The next press or key press ends it and then has its usual effect.
class TGridPanningController : public QObject {
  Q_OBJECT

 public:
  explicit TGridPanningController(TTableGridView& view);
  ~TGridPanningController() override;

  // A press while panning ends it and returns false so the press goes on (a middle press ends it only);
  // a middle press otherwise starts panning and returns true.
  bool MousePress(QMouseEvent* event);
  bool MouseMove(QMouseEvent* event);
  // A key ends panning; the key goes on to the grid.
  void KeyPress();
  void Stop();

 private:
  void Start(QPoint pos);
  void Tick();
  void ShowDirection();

  TTableGridView& view_;
  QTimer timer_;
  QPoint pressPos_;
  int pointerY_ = 0;
  bool panning_ = false;
};

}  // namespace metrazil
