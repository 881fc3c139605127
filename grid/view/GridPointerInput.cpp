#include "grid/view/GridPointerInput.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>

#include "grid/view/GridEditor.h"
#include "grid/view/GridLinkController.h"
#include "grid/view/GridPanningController.h"
#include "grid/view/GridScrollController.h"
#include "grid/view/GridSizingController.h"
#include "grid/view/GridWheelController.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

TGridPointerInput::TGridPointerInput(TTableGridView& view)
    : view_(view),
      sizing_(std::make_unique<TGridSizingController>(view)),
      links_(std::make_unique<TGridLinkController>(view)),
      wheel_(std::make_unique<TGridWheelController>(view)),
      panning_(std::make_unique<TGridPanningController>(view)),
      scroll_(std::make_unique<TGridScrollController>(view)) {
  // The split and link cursors need moves without a button held.
  view.viewport()->setMouseTracking(true);
  view.viewport()->installEventFilter(this);
  view.installEventFilter(this);
}

TGridPointerInput::~TGridPointerInput() = default;

bool TGridPointerInput::MousePress(QMouseEvent* event) {
  // A press that ends panning goes on to have its usual effect, unless it is the middle button's.
  if (panning_->MousePress(event)) return true;
  if (links_->MousePress(event)) return true;
  return sizing_->MousePress(event);
}

bool TGridPointerInput::MouseMove(QMouseEvent* event) {
  if (panning_->MouseMove(event)) return true;
  if (sizing_->MouseMove(event)) return true;
  if (event->buttons() == Qt::NoButton && links_->IsOverLink(event->position().toPoint())) {
    view_.viewport()->setCursor(Qt::PointingHandCursor);
    return false;
  }
  return false;
}

bool TGridPointerInput::MouseRelease(QMouseEvent* event) { return sizing_->MouseRelease(event); }

bool TGridPointerInput::MouseDoubleClick(QMouseEvent* event) {
  // The view hands other buttons' double-clicks back as presses.
  if (event->button() != Qt::LeftButton) return false;
  // The second press of a double-click is a press too: it ends panning like any other.
  panning_->MousePress(event);
  // The first press already followed the link; a second would open the same page twice.
  if (links_->IsOverLink(event->position().toPoint())) return true;
  return sizing_->MouseDoubleClick(event);
}

void TGridPointerInput::Wheel(QWheelEvent* event) { wheel_->Wheel(event); }

void TGridPointerInput::LayoutChanged() { scroll_->Sync(); }

void TGridPointerInput::WatchEditor(QWidget* editor) {
  // Installing twice is harmless: Qt keeps one entry per filter object.
  editor->installEventFilter(wheel_.get());
  for (QWidget* child : editor->findChildren<QWidget*>()) child->installEventFilter(wheel_.get());
}

bool TGridPointerInput::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_.viewport()) {
    if (event->type() == QEvent::Resize) scroll_->Sync();
  } else if (watched == &view_) {
    // Seen before the grid handles the key (Tab included), which then has its usual effect.
    if (event->type() == QEvent::KeyPress) panning_->KeyPress();
    if (event->type() == QEvent::FocusOut && !view_.isAncestorOf(QApplication::focusWidget())) {
      // Another window or control took over: nothing may stay half done.
      panning_->Stop();
      sizing_->Cancel();
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace metrazil
