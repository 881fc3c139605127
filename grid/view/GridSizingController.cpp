#include "grid/view/GridSizingController.h"
#include "grid/model/GridUndoStack.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "grid/layout/GridGeometry.h"
#include "grid/layout/GridSizingRules.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridSizingLine.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

TGridSizingController::TGridSizingController(TTableGridView& view)
    : view_(view), line_(std::make_unique<TGridSizingLine>(view.viewport())) {}

TGridSizingController::~TGridSizingController() = default;

bool TGridSizingController::InHeaderRow(const TGridGeometry& geometry, QPoint pos) const {
  return view_.Model().FixedRows() > 0 && pos.x() >= 0 && geometry.RowAt(pos.y()) == 0;
}

int TGridSizingController::SizingZoneColumn(QPoint pos) const {
  const TGridGeometry geo = view_.Geometry();
  if (!InHeaderRow(geo, pos)) return -1;
  // Only borders on screen count. Where zones overlap (narrow columns) the rightmost wins, so a column
  // squeezed to nothing can still be pulled open again.
  int found = -1;
  for (const int col : geo.VisibleCols()) {
    if (InSizingZone(pos.x(), static_cast<int>(geo.CellRect(col, 0).right))) found = col;
  }
  return found;
}

void TGridSizingController::MoveLine(int pointerX) {
  lineX_ = pointerX + sizingOffset_;
  const TGridGeometry geo = view_.Geometry();
  // Drawn over the column's own grid line while the border has not moved.
  line_->ShowAt(lineX_ - 1, static_cast<int>(std::min(geo.CellsBottom(), geo.ClientHeight())));
}

bool TGridSizingController::MousePress(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return false;
  const QPoint pos = event->position().toPoint();
  const int col = SizingZoneColumn(pos);
  if (col < 0) return false;
  view_.EditSession().EndEdit();
  view_.setFocus(Qt::MouseFocusReason);
  sizingCol_ = col;
  sizingOffset_ = static_cast<int>(view_.Geometry().CellRect(col, 0).right) - pos.x();
  MoveLine(pos.x());
  return true;
}

bool TGridSizingController::MouseMove(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (IsSizing()) {
    MoveLine(pos.x());
    return true;
  }
  if (event->buttons() == Qt::NoButton && SizingZoneColumn(pos) >= 0) {
    view_.viewport()->setCursor(Qt::SplitHCursor);
    return true;
  }
  view_.viewport()->unsetCursor();
  return false;
}

void TGridSizingController::Cancel() {
  sizingCol_ = -1;
  line_->hide();
}

bool TGridSizingController::MouseRelease(QMouseEvent* event) {
  if (!IsSizing()) return false;
  if (event->button() != Qt::LeftButton) return true;
  const int col = sizingCol_;
  sizingCol_ = -1;
  line_->hide();
  const int x = event->position().toPoint().x();
  // Released beyond the right edge: the drag is abandoned.
  if (x >= view_.viewport()->width() || col >= view_.Model().ColCount()) return true;
  lineX_ = x + sizingOffset_;
  const TGridRect rect = view_.Geometry().CellRect(col, 0);
  if (rect == TGridRect{}) return true;  // scrolled away meanwhile
  if (const auto width = DraggedWidth(lineX_, static_cast<int>(rect.left))) {
    if (*width != view_.Model().ColWidth(col)) view_.RecordStep(ChangeColWidth(view_.Model(), col, *width));
  }
  return true;
}

bool TGridSizingController::MouseDoubleClick(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return false;
  const QPoint pos = event->position().toPoint();
  const auto hit = HeaderDoubleClickAt(view_.Geometry(), pos.x(), pos.y());
  if (!hit) return false;
  switch (hit->action) {
    case THeaderDoubleClick::kFitLeftColumn:
      FitColumn(hit->col - 1);
      return true;
    case THeaderDoubleClick::kFitColumn:
      FitColumn(hit->col);
      return true;
    case THeaderDoubleClick::kEditHeader:
      return false;
  }
  return false;
}

void TGridSizingController::FitColumn(int col) {
  TTableGrid& model = view_.Model();
  if (col < 0 || col >= model.ColCount()) throw EListError::IndexOutOfBounds(col);
  const QFontMetrics headerMetrics(view_.Style().headerFont);
  const QFontMetrics bodyMetrics(view_.Style().bodyFont);
  int widest = 0;
  auto measure = [&widest](const QFontMetrics& metrics, std::string_view firstLine) {
    if (!firstLine.empty()) widest = std::max(widest, metrics.horizontalAdvance(FromTableBytes(firstLine)));
  };
  const int fixedRows = std::min(model.FixedRows(), model.RowCount());
  for (int row = 0; row < fixedRows; ++row) measure(headerMetrics, FirstLine(model.CellText(col, row)));
  // Long tables repeat their texts: each distinct first line is measured once. The views stay valid, as
  // nothing writes to the grid meanwhile.
  std::unordered_set<std::string_view> seen;
  for (int row = fixedRows; row < model.RowCount(); ++row) {
    const std::string_view firstLine = FirstLine(model.CellText(col, row));
    if (!firstLine.empty() && seen.insert(firstLine).second) measure(bodyMetrics, firstLine);
  }
  view_.RecordStep(ChangeColWidth(model, col, FitWidth(widest)));
}

}  // namespace metrazil
