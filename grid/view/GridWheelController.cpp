#include "grid/view/GridWheelController.h"

#include <QApplication>
#include <QWheelEvent>

#include "grid/layout/GridWheelRules.h"
#include "grid/view/GridEditor.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

TGridWheelController::TGridWheelController(TTableGridView& view)
    : view_(view), step_(QApplication::wheelScrollLines()) {}

void TGridWheelController::Wheel(QWheelEvent* event) {
  event->accept();
  QWidget* focus = QApplication::focusWidget();
  QWidget* editor = view_.EditSession().Editor();
  const bool inEditor = view_.EditSession().IsEditing() && editor != nullptr && focus != nullptr &&
                        (focus == editor || editor->isAncestorOf(focus));
  if (focus != &view_ && !inEditor) {
    accumulator_.Reset();
    return;
  }
  // A positive delta turns the wheel away from the user; towards the user moves down and zooms in.
  const int notches = -accumulator_.Add(event->angleDelta().y());
  if (notches == 0) return;
  if (inEditor) {
    MoveRows(notches, 0);
  } else if (event->modifiers() & Qt::ControlModifier) {
    ZoomBy(notches > 0 ? step_ : -step_);
    MoveRows(notches, 0);
  } else {
    MoveRows(notches, step_);
  }
}

void TGridWheelController::MoveRows(int notches, int step) {
  const TTableGrid& model = view_.Model();
  const int row = model.FocusedRow();
  const int target = WheelTargetRow(row, model.FixedRows(), model.RowCount() - 1, step, notches);
  if (target != row) view_.MoveFocus(model.FocusedCol(), target, false);
}

void TGridWheelController::ZoomBy(int step) {
  const int level = view_.ZoomLevel();
  if (step == 0 || !ZoomStepAllowed(level, step)) return;
  TTableGrid& model = view_.Model();
  const TTableGrid::TUpdateGuard update(model);
  view_.SetZoomLevel(level + step);
  // The model moves its defaults and only the sizes of their own, so a huge grid zooms as fast as a small one.
  model.ZoomSizes(step);
}

bool TGridWheelController::eventFilter(QObject* watched, QEvent* event) {
  // The in-place editor would scroll its own text; a notch there moves the focused cell instead.
  if (event->type() == QEvent::Wheel) {
    Wheel(static_cast<QWheelEvent*>(event));
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace metrazil
