#include "grid/GridWheelController.h"

#include <QApplication>
#include <QWheelEvent>
#include <utility>
#include <vector>

#include "grid/GridEditor.h"
#include "grid/GridWheelRules.h"
#include "grid/TableGridView.h"

namespace metrazil {
namespace {

// Changes the default size and every size of its own by step. Sizes are a default plus exceptions, so the
// default moves once and only the exceptions are set one by one: a grid of millions of rows at the
// default height costs one pass of reads and no writes.
template <class Size, class SetDefault, class SetSize>
void ZoomSizes(int count, Size size, int defaultSize, SetDefault setDefault, SetSize setSize, int step) {
  std::vector<std::pair<int, int>> own;
  for (int i = 0; i < count; ++i) {
    const int s = size(i);
    if (s != defaultSize) own.emplace_back(i, s);
  }
  // Setting the default drops the exceptions; they come back zoomed, in index order.
  setDefault(ZoomedSize(defaultSize, step));
  for (const auto& [index, s] : own) setSize(index, ZoomedSize(s, step));
}

}  // namespace

TGridWheelController::TGridWheelController(TTableGridView& view)
    : QObject(&view), view_(view), step_(QApplication::wheelScrollLines()) {}

void TGridWheelController::wheel(QWheelEvent* event) {
  event->accept();
  QWidget* focus = QApplication::focusWidget();
  QWidget* editor = view_.Editor();
  const bool inEditor =
      view_.IsEditing() && editor != nullptr && focus != nullptr && (focus == editor || editor->isAncestorOf(focus));
  if (focus != &view_ && !inEditor) {
    accumulator_.Reset();
    return;
  }
  // A positive delta turns the wheel away from the user; towards the user moves down and zooms in.
  const int notches = -accumulator_.Add(event->angleDelta().y());
  if (notches == 0) return;
  if (inEditor) {
    moveRows(notches, 0);
  } else if (event->modifiers() & Qt::ControlModifier) {
    zoomBy(notches > 0 ? step_ : -step_);
    moveRows(notches, 0);
  } else {
    moveRows(notches, step_);
  }
}

void TGridWheelController::moveRows(int notches, int step) {
  const TTableGrid& model = view_.Model();
  const int row = model.FocusedRow();
  const int target = WheelTargetRow(row, model.FixedRows(), model.RowCount() - 1, step, notches);
  if (target != row) view_.MoveFocus(model.FocusedCol(), target, false);
}

void TGridWheelController::zoomBy(int step) {
  const int level = view_.ZoomLevel();
  if (step == 0 || !ZoomStepAllowed(level, step)) return;
  TTableGrid& model = view_.Model();
  model.BeginUpdate();
  struct EndUpdate {
    TTableGrid& model;
    ~EndUpdate() { model.EndUpdate(); }
  } endUpdate{model};
  view_.SetZoomLevel(level + step);
  ZoomSizes(
      model.ColCount(), [&](int i) { return model.ColWidth(i); }, model.DefaultColWidth(),
      [&](int size) { model.SetDefaultColWidth(size); }, [&](int i, int size) { model.SetColWidth(i, size); }, step);
  ZoomSizes(
      model.RowCount(), [&](int i) { return model.RowHeight(i); }, model.DefaultRowHeight(),
      [&](int size) { model.SetDefaultRowHeight(size); }, [&](int i, int size) { model.SetRowHeight(i, size); }, step);
}

bool TGridWheelController::eventFilter(QObject* watched, QEvent* event) {
  // The in-place editor would scroll its own text; a notch there moves the focused cell instead.
  if (event->type() == QEvent::Wheel) {
    wheel(static_cast<QWheelEvent*>(event));
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace metrazil
