#include "grid/view/GridSizing.h"

#include <QApplication>
#include <QChildEvent>
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

TGridSizing::TGridSizing(TTableGridView& view)
    : QObject(&view),
      view_(view),
      sizing_(std::make_unique<TGridSizingController>(view)),
      links_(std::make_unique<TGridLinkController>(view)),
      wheel_(new TGridWheelController(view)),
      panning_(new TGridPanningController(view)),
      scroll_(new TGridScrollController(view)) {
  // The split and link cursors need moves without a button held.
  view.viewport()->setMouseTracking(true);
  view.viewport()->installEventFilter(this);
  view.installEventFilter(this);
}

TGridSizing::~TGridSizing() = default;

bool TGridSizing::mousePressEvent(QMouseEvent* event) {
  // A press that ends panning goes on to have its usual effect, unless it is the middle button's.
  if (panning_->mousePress(event)) return true;
  if (links_->mousePress(event)) return true;
  return sizing_->mousePress(event);
}

bool TGridSizing::mouseMoveEvent(QMouseEvent* event) {
  if (panning_->mouseMove(event)) return true;
  if (sizing_->mouseMove(event)) return true;
  if (event->buttons() == Qt::NoButton && links_->isOverLink(event->position().toPoint())) {
    view_.viewport()->setCursor(Qt::PointingHandCursor);
    return false;
  }
  return false;
}

bool TGridSizing::mouseReleaseEvent(QMouseEvent* event) { return sizing_->mouseRelease(event); }

bool TGridSizing::mouseDoubleClickEvent(QMouseEvent* event) {
  // The view hands other buttons' double-clicks back as presses.
  if (event->button() != Qt::LeftButton) return false;
  // The second press of a double-click is a press too: it ends panning like any other.
  panning_->mousePress(event);
  // The first press already followed the link; a second would open the same page twice.
  if (links_->isOverLink(event->position().toPoint())) return true;
  return sizing_->mouseDoubleClick(event);
}

void TGridSizing::wheelEvent(QWheelEvent* event) { wheel_->wheel(event); }

void TGridSizing::layoutChanged() { scroll_->Sync(); }

void TGridSizing::watchEditor(QWidget* editor) {
  // Installing twice is harmless: Qt keeps one entry per filter object.
  editor->installEventFilter(wheel_);
  for (QWidget* child : editor->findChildren<QWidget*>()) child->installEventFilter(wheel_);
}

void TGridSizing::FitColumn(int col) { sizing_->fitColumn(col); }

void TGridSizing::ZoomBy(int step) { wheel_->zoomBy(step); }

void TGridSizing::FollowLink(const QString& target) { links_->follow(target); }

bool TGridSizing::isPanning() const { return panning_->isPanning(); }
bool TGridSizing::isSizing() const { return sizing_->isSizing(); }
int TGridSizing::wheelStep() const { return wheel_->wheelStep(); }

bool TGridSizing::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_.viewport()) {
    if (event->type() == QEvent::Resize) scroll_->Sync();
    // The in-place editor is made on first use; its wheel notches are ours once it is ready to show.
    if (event->type() == QEvent::ChildPolished && view_.EditSession().Editor() != nullptr &&
        static_cast<QChildEvent*>(event)->child() == view_.EditSession().Editor()) {
      watchEditor(view_.EditSession().Editor());
    }
  } else if (watched == &view_) {
    // Seen before the grid handles the key (Tab included), which then has its usual effect.
    if (event->type() == QEvent::KeyPress) panning_->keyPress();
    if (event->type() == QEvent::FocusOut && !view_.isAncestorOf(QApplication::focusWidget())) {
      // Another window or control took over: nothing may stay half done.
      panning_->stop();
      sizing_->cancel();
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace metrazil
