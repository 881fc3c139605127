#include "grid/view/GridScrollController.h"

#include <QEvent>
#include <QScrollBar>
#include <algorithm>

#include "grid/layout/GridGeometry.h"
#include "grid/layout/GridScrollMapping.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

TGridScrollController::TGridScrollController(TTableGridView& view) : QObject(&view), view_(view) {
  for (const auto orientation : {Qt::Vertical, Qt::Horizontal}) {
    QScrollBar* scrollBar = bar(orientation);
    scrollBar->setTracking(false);
    scrollBar->setRange(0, 0);
    scrollBar->setSingleStep(1);
    scrollBar->setPageStep(1);
    connect(scrollBar, &QScrollBar::actionTriggered, this,
            [this, orientation](int action) { onAction(orientation, action); });
    connect(scrollBar, &QScrollBar::sliderReleased, this, [this, orientation] { onReleased(orientation); });
    scrollBar->installEventFilter(this);
  }
  view_.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  view_.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

bool TGridScrollController::eventFilter(QObject* watched, QEvent* event) {
  // A press on a bar ends an open edit, storing its text, and gives the grid the keyboard focus before
  // the bar moves the view: no editor stays open out of sight taking the keys.
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) focusGrid();
  return QObject::eventFilter(watched, event);
}

void TGridScrollController::focusGrid() {
  view_.EndEdits();
  view_.setFocus(Qt::MouseFocusReason);
}

QScrollBar* TGridScrollController::bar(Qt::Orientation orientation) const {
  return orientation == Qt::Vertical ? view_.verticalScrollBar() : view_.horizontalScrollBar();
}

long long TGridScrollController::position(Qt::Orientation orientation) const {
  return orientation == Qt::Vertical ? view_.Model().TopRow() : view_.Model().LeftCol();
}

long long TGridScrollController::firstPosition(Qt::Orientation orientation) const {
  return orientation == Qt::Vertical ? view_.Model().FixedRows() : view_.Model().FixedCols();
}

TGridGeometry TGridScrollController::geometry() const {
  return TGridGeometry(view_.Model(), view_.viewport()->width(), view_.viewport()->height());
}

long long TGridScrollController::lastPosition(Qt::Orientation orientation) const {
  const TGridGeometry geo = geometry();
  return std::max<long long>(orientation == Qt::Vertical ? geo.MaxTopRow() : geo.MaxLeftCol(),
                             firstPosition(orientation));
}

int TGridScrollController::page(Qt::Orientation orientation) const {
  const TGridGeometry geo = geometry();
  return orientation == Qt::Vertical ? geo.RowPage() : geo.ColPage();
}

void TGridScrollController::sync() {
  syncBar(Qt::Vertical);
  syncBar(Qt::Horizontal);
}

void TGridScrollController::syncBar(Qt::Orientation orientation) {
  QScrollBar* scrollBar = bar(orientation);
  // The user's thumb stays where it is dragged until it is released.
  if (scrollBar->isSliderDown()) return;
  const long long first = firstPosition(orientation);
  const long long last = lastPosition(orientation);
  syncing_ = true;
  // A range of 0..0 hides the bar: everything fits.
  scrollBar->setRange(0, last > first ? kScrollBarMax : 0);
  scrollBar->setSliderPosition(ScrollBarValue(position(orientation), first, last));
  syncing_ = false;
}

void TGridScrollController::scrollTo(Qt::Orientation orientation, long long pos) {
  const long long clamped = std::clamp(pos, firstPosition(orientation), lastPosition(orientation));
  const TTableGrid& model = view_.Model();
  if (orientation == Qt::Vertical) {
    if (clamped != model.TopRow()) view_.SetTopLeft(model.LeftCol(), static_cast<int>(clamped));
  } else {
    if (clamped != model.LeftCol()) view_.SetTopLeft(static_cast<int>(clamped), model.TopRow());
  }
  syncBar(orientation);
}

void TGridScrollController::onAction(Qt::Orientation orientation, int action) {
  if (syncing_) return;
  focusGrid();  // a wheel turned over a bar scrolls without a press
  const long long pos = position(orientation);
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      scrollTo(orientation, pos + 1);
      break;
    case QAbstractSlider::SliderSingleStepSub:
      scrollTo(orientation, pos - 1);
      break;
    case QAbstractSlider::SliderPageStepAdd:
      scrollTo(orientation, pos + page(orientation));
      break;
    case QAbstractSlider::SliderPageStepSub:
      scrollTo(orientation, pos - page(orientation));
      break;
    case QAbstractSlider::SliderToMinimum:
      scrollTo(orientation, firstPosition(orientation));
      break;
    case QAbstractSlider::SliderToMaximum:
      scrollTo(orientation, lastPosition(orientation));
      break;
    case QAbstractSlider::SliderMove:
      // A dragged thumb waits for its release; a move without the thumb held ("scroll here") applies now.
      if (!bar(orientation)->isSliderDown()) onReleased(orientation);
      break;
    default:
      break;
  }
}

void TGridScrollController::onReleased(Qt::Orientation orientation) {
  const long long first = firstPosition(orientation);
  const long long last = lastPosition(orientation);
  scrollTo(orientation, ScrollBarPosition(bar(orientation)->sliderPosition(), first, last));
}

}  // namespace metrazil
