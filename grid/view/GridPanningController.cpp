#include "grid/view/GridPanningController.h"

#include <QGuiApplication>
#include <QMouseEvent>

#include "grid/view/GridPanningCursors.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

TGridPanningController::TGridPanningController(TTableGridView& view) : view_(view) {
  timer_.setInterval(10);
  connect(&timer_, &QTimer::timeout, this, &TGridPanningController::Tick);
}

TGridPanningController::~TGridPanningController() {
  if (panning_) QGuiApplication::restoreOverrideCursor();
}

bool TGridPanningController::MousePress(QMouseEvent* event) {
  if (panning_) {
    Stop();
    return event->button() == Qt::MiddleButton;
  }
  if (event->button() != Qt::MiddleButton) return false;
  // Nothing to pan through without body rows.
  if (view_.Model().RowCount() <= view_.Model().FixedRows()) return true;
  Start(event->position().toPoint());
  return true;
}

bool TGridPanningController::MouseMove(QMouseEvent* event) {
  if (!panning_) return false;
  pointerY_ = event->position().toPoint().y();
  ShowDirection();
  return true;
}

void TGridPanningController::KeyPress() {
  if (panning_) Stop();
}

void TGridPanningController::Start(QPoint pos) {
  view_.EditSession().EndEdit();
  view_.setFocus(Qt::MouseFocusReason);
  panning_ = true;
  pressPos_ = pos;
  pointerY_ = pos.y();
  QGuiApplication::setOverrideCursor(PanningCursor(TPanDirection::kNone));
  view_.viewport()->grabMouse();
  timer_.start();
}

void TGridPanningController::Stop() {
  if (!panning_) return;
  panning_ = false;
  timer_.stop();
  view_.viewport()->releaseMouse();
  QGuiApplication::restoreOverrideCursor();
}

void TGridPanningController::ShowDirection() {
  QGuiApplication::changeOverrideCursor(PanningCursor(PanDirection(pressPos_.y(), pointerY_)));
}

void TGridPanningController::Tick() {
  // A hidden grid (page switch, closed window) cannot be panned any more.
  if (!view_.isVisible()) {
    Stop();
    return;
  }
  // The grid holds the pointer, so every move reaches mouseMove and pointerY_ is current.
  const TPanDirection direction = PanDirection(pressPos_.y(), pointerY_);
  if (direction == TPanDirection::kNone) return;
  const TTableGrid& model = view_.Model();
  const int row = model.FocusedRow() + (direction == TPanDirection::kDown ? 1 : -1);
  if (row >= model.FixedRows() && row < model.RowCount()) view_.MoveFocus(model.FocusedCol(), row, false);
}

}  // namespace metrazil
