#include "grid/view/GridScrollController.h"

#include <QEvent>
#include <QScrollBar>
#include <algorithm>

#include "grid/layout/GridScrollMapping.h"
#include "grid/view/GridEditSession.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

TGridScrollController::TGridScrollController(TTableGridView& view)
    : view_(view),
      axes_{{{view.verticalScrollBar(), &TCellAddress::row, &TTableGrid::FixedRows, &TGridGeometry::MaxTopRow,
              &TGridGeometry::RowPage},
             {view.horizontalScrollBar(), &TCellAddress::col, &TTableGrid::FixedCols, &TGridGeometry::MaxLeftCol,
              &TGridGeometry::ColPage}}} {
  for (const TScrollAxis& axis : axes_) {
    QScrollBar* scrollBar = axis.bar;
    scrollBar->setTracking(false);
    scrollBar->setRange(0, 0);
    scrollBar->setSingleStep(1);
    scrollBar->setPageStep(1);
    // The axes live as long as this controller, which outlives the connections it owns.
    connect(scrollBar, &QScrollBar::actionTriggered, this, [this, &axis](int action) { OnAction(axis, action); });
    connect(scrollBar, &QScrollBar::sliderReleased, this, [this, &axis] { OnReleased(axis); });
    scrollBar->installEventFilter(this);
  }
  view_.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  view_.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

bool TGridScrollController::eventFilter(QObject* watched, QEvent* event) {
  // A press on a bar ends an open edit, storing its text, and gives the grid the keyboard focus before
  // the bar moves the view: no editor stays open out of sight taking the keys.
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) FocusGrid();
  return QObject::eventFilter(watched, event);
}

void TGridScrollController::FocusGrid() {
  view_.EditSession().EndAllEdits();
  view_.setFocus(Qt::MouseFocusReason);
}

TCellAddress TGridScrollController::TopLeft() const {
  const TTableGrid& model = view_.Model();
  return {model.LeftCol(), model.TopRow()};
}

long long TGridScrollController::FirstPosition(const TScrollAxis& axis) const {
  return (view_.Model().*axis.fixedCount)();
}

long long TGridScrollController::LastPosition(const TScrollAxis& axis) const {
  return std::max<long long>((view_.Geometry().*axis.maxPosition)(), FirstPosition(axis));
}

void TGridScrollController::Sync() {
  for (const TScrollAxis& axis : axes_) SyncBar(axis);
}

void TGridScrollController::SyncBar(const TScrollAxis& axis) {
  // The user's thumb stays where it is dragged until it is released.
  if (axis.bar->isSliderDown()) return;
  const long long first = FirstPosition(axis);
  const long long last = LastPosition(axis);
  syncing_ = true;
  // A range of 0..0 hides the bar: everything fits.
  axis.bar->setRange(0, last > first ? kScrollBarMax : 0);
  axis.bar->setSliderPosition(ScrollBarValue(Position(axis), first, last));
  syncing_ = false;
}

void TGridScrollController::ScrollTo(const TScrollAxis& axis, long long pos) {
  const long long clamped = std::clamp(pos, FirstPosition(axis), LastPosition(axis));
  TCellAddress topLeft = TopLeft();
  if (clamped != topLeft.*axis.topLeftPart) {
    topLeft.*axis.topLeftPart = static_cast<int>(clamped);
    view_.SetTopLeft(topLeft.col, topLeft.row);
  }
  SyncBar(axis);
}

void TGridScrollController::OnAction(const TScrollAxis& axis, int action) {
  if (syncing_) return;
  FocusGrid();  // a wheel turned over a bar scrolls without a press
  const long long pos = Position(axis);
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      ScrollTo(axis, pos + 1);
      break;
    case QAbstractSlider::SliderSingleStepSub:
      ScrollTo(axis, pos - 1);
      break;
    case QAbstractSlider::SliderPageStepAdd:
      ScrollTo(axis, pos + (view_.Geometry().*axis.page)());
      break;
    case QAbstractSlider::SliderPageStepSub:
      ScrollTo(axis, pos - (view_.Geometry().*axis.page)());
      break;
    case QAbstractSlider::SliderToMinimum:
      ScrollTo(axis, FirstPosition(axis));
      break;
    case QAbstractSlider::SliderToMaximum:
      ScrollTo(axis, LastPosition(axis));
      break;
    case QAbstractSlider::SliderMove:
      // A dragged thumb waits for its release; a move without the thumb held ("scroll here") applies now.
      if (!axis.bar->isSliderDown()) OnReleased(axis);
      break;
    default:
      break;
  }
}

void TGridScrollController::OnReleased(const TScrollAxis& axis) {
  const long long first = FirstPosition(axis);
  const long long last = LastPosition(axis);
  ScrollTo(axis, ScrollBarPosition(axis.bar->sliderPosition(), first, last));
}

}  // namespace metrazil
