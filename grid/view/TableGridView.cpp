#include "grid/view/TableGridView.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <limits>

#include "grid/layout/GridSizingRules.h"
#include "grid/layout/GridWheelRules.h"
#include "grid/view/GridAccessible.h"
#include "grid/view/GridAccessibleEvents.h"
#include "grid/view/GridBlockCommands.h"
#include "grid/view/GridEditSession.h"
#include "grid/view/GridEditor.h"
#include "grid/view/GridKeyController.h"
#include "grid/view/GridPainter.h"
#include "grid/view/GridPointerInput.h"
#include "grid/view/PaintWhileBusy.h"

namespace metrazil {

namespace {

int ToInt(std::int64_t v) {
  return static_cast<int>(
      std::clamp<std::int64_t>(v, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2));
}

QRect ToQRect(const TGridRect& r) {
  if (r.IsEmpty()) return {};
  return QRect(QPoint(ToInt(r.left), ToInt(r.top)), QPoint(ToInt(r.right) - 1, ToInt(r.bottom) - 1));
}

// Assistive tools have to meet the grid's own interface from the first query on.
std::unique_ptr<TGridAccessibleEvents> MakeAccessibleEvents(TTableGridView& view) {
  InstallGridAccessibleFactory();
  return std::make_unique<TGridAccessibleEvents>(view);
}

}  // namespace

TTableGridView::TTableGridView(QWidget* parent)
    : QAbstractScrollArea(parent),
      style_(TGridStyle::For(palette(), zoomLevel_)),
      keys_(std::make_unique<TGridKeyController>(*this)),
      session_(std::make_unique<TGridEditSession>(*this, *keys_)),
      accessibility_(MakeAccessibleEvents(*this)),
      pointerInput_(std::make_unique<TGridPointerInput>(*this)),
      blockCommands_(std::make_unique<TGridBlockCommands>(*this)) {
  setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  ConnectModel();
}

TTableGridView::~TTableGridView() {
  // The editors go first, while the view is whole: losing the focus on the way must not reach a model
  // that is already gone. Nothing is stored: closing the window saves nothing.
  session_->DropEditors();
  model_.OnCellsChanged = nullptr;
  model_.OnLayoutChanged = nullptr;
}

void TTableGridView::ConnectModel() {
  model_.OnCellsChanged = [this](const TCellBox& box) { CellsChanged(box); };
  model_.OnLayoutChanged = [this] { LayoutChanged(); };
}

// ---- geometry ------------------------------------------------------------------------------------------

TGridGeometry TTableGridView::Geometry() const {
  return TGridGeometry(model_, viewport()->width(), viewport()->height());
}

QRect TTableGridView::CellRect(int col, int row) const { return ToQRect(Geometry().CellRect(col, row)); }

TCellAddress TTableGridView::ViewportToCell(QPoint pos) const { return Geometry().CellAt(pos.x(), pos.y()); }

void TTableGridView::SetTopLeft(int col, int row) {
  const TGridGeometry geometry = Geometry();
  const int left = geometry.ClampLeftCol(col);
  const int top = geometry.ClampTopRow(row);
  if (left != model_.LeftCol() || top != model_.TopRow()) model_.SetTopLeft(left, top);
}

int TTableGridView::PageRows() const { return Geometry().RowPage(); }

int TTableGridView::PageCols() const { return Geometry().ColPage(); }

void TTableGridView::ClampTopLeft() {
  if (clampingTopLeft_) return;
  const QScopedValueRollback<bool> clamping(clampingTopLeft_, true);
  SetTopLeft(model_.LeftCol(), model_.TopRow());
}

void TTableGridView::LayoutChanged() {
  ClampTopLeft();
  session_->PlaceEditors();
  RepaintChanged();
  pointerInput_->LayoutChanged();
  accessibility_->LayoutChanged();
}

void TTableGridView::CellsChanged(const TCellBox& box) {
  viewport()->update(ToQRect(Geometry().BlockRect(box.from, box.to)));
  session_->CellsChanged(box);
  accessibility_->CellsChanged(box);
}

void TTableGridView::EditorMade(TGridEditor& editor) {
  pointerInput_->WatchEditor(&editor);
  accessibility_->WatchEditor(&editor);
}

// ---- undo ---------------------------------------------------------------------------------------------

void TTableGridView::Undo() {
  const TPaintWhileBusy busy(model_);
  if (const TGridUndoStep* step = undo_.Undo(model_)) ShowStep(*step);
}

void TTableGridView::Redo() {
  const TPaintWhileBusy busy(model_);
  if (const TGridUndoStep* step = undo_.Redo(model_)) ShowStep(*step);
}

void TTableGridView::ShowStep(const TGridUndoStep& step) { SelectBlock(step.blockEnd, step.focus); }

// ---- fonts and colours ---------------------------------------------------------------------------------

void TTableGridView::SetZoomLevel(int level) {
  zoomLevel_ = std::clamp(level, kMinZoomLevel, kMaxZoomLevel);
  // Only the cells follow the zoom: the editors keep their font at its own size.
  style_ = TGridStyle::For(palette(), zoomLevel_);
  viewport()->update();
}

// ---- painting ------------------------------------------------------------------------------------------

bool TTableGridView::FocusRectShown() const {
  return hasFocus() && !(session_->Editor() != nullptr && session_->Editor()->isVisible());
}

void TTableGridView::RepaintChanged() {
  TShown now{Geometry(),
             {model_.FocusedCol(), model_.FocusedRow()},
             {model_.AnchorCol(), model_.AnchorRow()},
             FocusRectShown()};
  std::optional<TGridShift> shift;
  if (shown_) shift = now.geometry.ShiftFrom(shown_->geometry);
  const bool moved = shift && (shift->dx != 0 || shift->dy != 0);
  // A child (an editor, the sizing line) would be moved with the pixels under it.
  if (!shift || (moved && ViewportChildShown())) {
    viewport()->update();
    shown_ = std::move(now);
    return;
  }
  const QPoint offset(ToInt(shift->dx), ToInt(shift->dy));
  if (moved) {
    // Only the scrollable part moves; Qt paints the strip it uncovers and moves the requests still pending.
    const QRect client = viewport()->rect();
    const int fixedWidth = ToInt(now.geometry.FixedWidth());
    const int fixedHeight = ToInt(now.geometry.FixedHeight());
    viewport()->scroll(offset.x(), offset.y(),
                       offset.y() != 0 ? client.adjusted(0, fixedHeight, 0, 0) : client.adjusted(fixedWidth, 0, 0, 0));
  }
  // The cells that entered or left the selection, and the focus rectangle where it was and where it is.
  const auto selection = [](const TShown& shown) {
    return QRegion(ToQRect(shown.geometry.BlockRect(shown.anchor, shown.focus)));
  };
  const auto focusRect = [](const TShown& shown) {
    return shown.focusRect ? QRegion(ToQRect(shown.geometry.CellRect(shown.focus.col, shown.focus.row))) : QRegion();
  };
  QRegion dirty = selection(*shown_).translated(offset).xored(selection(now));
  if (shown_->focus != now.focus || shown_->focusRect != now.focusRect) {
    dirty += focusRect(*shown_).translated(offset);
    dirty += focusRect(now);
  }
  if (!dirty.isEmpty()) viewport()->update(dirty);
  shown_ = std::move(now);
}

bool TTableGridView::ViewportChildShown() const {
  const QObjectList& children = viewport()->children();
  return std::any_of(children.begin(), children.end(), [](const QObject* child) {
    return child->isWidgetType() && static_cast<const QWidget*>(child)->isVisible();
  });
}

void TTableGridView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  // Cells far apart (the focus before and after a jump) make a region much smaller than its bounding rect.
  const QRegion& dirty = event->region();
  const QRect dirtyBounds = event->rect();
  const TGridGeometry geometry = Geometry();
  TGridPainter cells(painter, style_);

  const TCellBox selection = model_.Selection();

  // The cell under an open editor is painted too: the editor leaves its grid lines uncovered.
  for (int row : geometry.VisibleRows()) {
    for (int col : geometry.VisibleCols()) {
      const QRect rect = ToQRect(geometry.CellRect(col, row));
      if (rect.isNull() || !dirty.intersects(rect)) continue;
      const std::string_view text = model_.CellText(col, row);
      if (row < model_.FixedRows() || col < model_.FixedCols()) {
        cells.PaintHeaderCell(rect, text);
      } else {
        cells.PaintBodyCell(rect, text, selection.Contains(col, row));
      }
    }
  }
  if (FocusRectShown()) {
    const QRect focused = ToQRect(geometry.CellRect(model_.FocusedCol(), model_.FocusedRow()));
    if (!focused.isNull()) cells.PaintFocusRect(focused);
  }

  const int cellsRight = ToInt(geometry.CellsRight());
  const int cellsBottom = ToInt(geometry.CellsBottom());
  const QRect client = viewport()->rect();
  painter.fillRect(QRect(QPoint(cellsRight, 0), client.bottomRight()).intersected(dirtyBounds), style_.cellColor);
  painter.fillRect(QRect(QPoint(0, cellsBottom), QPoint(cellsRight - 1, client.bottom())).intersected(dirtyBounds),
                   style_.cellColor);
}

void TTableGridView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  ClampTopLeft();
  session_->PlaceEditors();
}

void TTableGridView::scrollContentsBy(int, int) {
  // The view follows the model's top-left cell; scroll-bar values are mapped onto it elsewhere, and a
  // thumb held down scrolls nothing until it is released.
  RepaintChanged();
}

// ---- focus moves ---------------------------------------------------------------------------------------

void TTableGridView::ScrollToCell(TCellAddress cell) {
  const TCellAddress topLeft = Geometry().ScrollIntoView(cell.col, cell.row);
  SetTopLeft(topLeft.col, topLeft.row);
}

void TTableGridView::SelectBlock(TCellAddress anchor, TCellAddress focus, bool scrollToFocus) {
  anchor = model_.ClampToBody(anchor);
  focus = model_.ClampToBody(focus);
  const bool changed = anchor != TCellAddress{model_.AnchorCol(), model_.AnchorRow()} ||
                       focus != TCellAddress{model_.FocusedCol(), model_.FocusedRow()};
  if (changed) session_->EndEdit();
  const TTableGrid::TUpdateGuard update(model_);
  if (changed) model_.SetSelection(anchor, focus);
  if (scrollToFocus) ScrollToCell(focus);
}

void TTableGridView::MoveFocus(int col, int row, bool keepAnchor) {
  const TCellAddress focus = model_.ClampToBody({col, row});
  if (focus == TCellAddress{model_.FocusedCol(), model_.FocusedRow()}) return;
  SelectBlock(keepAnchor ? TCellAddress{model_.AnchorCol(), model_.AnchorRow()} : focus, focus);
}

// ---- keys ----------------------------------------------------------------------------------------------

bool TTableGridView::event(QEvent* event) {
  // The grid's own keys are the grid's, before any shortcut of the page or window that holds it.
  if (event->type() == QEvent::ShortcutOverride && keys_->IsGridKey(*static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  return QAbstractScrollArea::event(event);
}

void TTableGridView::keyPressEvent(QKeyEvent* event) { keys_->GridKeyPress(event); }

// ---- mouse ---------------------------------------------------------------------------------------------

void TTableGridView::mousePressEvent(QMouseEvent* event) {
  // A press outside the editor ends the edit before anything else; a right press has its own rule. Every
  // press gives the grid the keyboard focus, one on a link or a sizing zone too.
  if (event->button() != Qt::RightButton) session_->EndEdit();
  setFocus(Qt::MouseFocusReason);
  if (pointerInput_->MousePress(event)) return;
  if (event->button() == Qt::LeftButton) {
    HandleLeftPress(event);
  } else if (event->button() == Qt::RightButton) {
    HandleRightPress(event);
  }
}

void TTableGridView::mouseMoveEvent(QMouseEvent* event) {
  pointerInput_->MouseMove(event);
  event->accept();
}

void TTableGridView::mouseReleaseEvent(QMouseEvent* event) {
  if (pointerInput_->MouseRelease(event)) return;
  if (event->button() == Qt::RightButton) HandleRightRelease(event);
}

void TTableGridView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (pointerInput_->MouseDoubleClick(event)) return;
  if (event->button() == Qt::LeftButton) {
    HandleDoubleClick(event);
  } else {
    mousePressEvent(event);
  }
}

void TTableGridView::HandleLeftPress(QMouseEvent* event) {
  reopenOnRightRelease_ = false;
  const TCellAddress hit = ViewportToCell(event->position().toPoint());
  const bool secondOfDoubleClick =
      lastLeftPressMovedFocus_ && hit == lastLeftPressCell_ &&
      event->timestamp() - lastLeftPressTime_ < static_cast<quint64>(QApplication::doubleClickInterval());
  lastLeftPressTime_ = event->timestamp();
  lastLeftPressCell_ = hit;
  lastLeftPressMovedFocus_ = false;
  // With editing on, the mouse never selects a range: Shift and dragging change nothing.
  if (hit.col < model_.FixedCols() || hit.row < model_.FixedRows()) return;
  if (hit.col == model_.FocusedCol() && hit.row == model_.FocusedRow()) {
    if (!secondOfDoubleClick) session_->BeginEdit(true);
  } else {
    MoveFocus(hit.col, hit.row, false);
    lastLeftPressMovedFocus_ = true;
  }
}

void TTableGridView::HandleRightPress(QMouseEvent*) {
  if (session_->IsEditing()) {
    // Editor mode stays on: the editor comes back on release.
    session_->EndEdit();
    reopenOnRightRelease_ = true;
  }
}

void TTableGridView::HandleRightRelease(QMouseEvent*) {
  if (!reopenOnRightRelease_) return;
  reopenOnRightRelease_ = false;
  session_->BeginEdit(true);
}

void TTableGridView::HandleDoubleClick(QMouseEvent* event) {
  // The second press on a body cell opens no editor; a double-click on a border fits a column instead.
  const QPoint pos = event->position().toPoint();
  const auto hit = HeaderDoubleClickAt(Geometry(), pos.x(), pos.y());
  if (hit && hit->action == THeaderDoubleClick::kEditHeader) session_->BeginHeaderEdit(hit->col);
}

void TTableGridView::wheelEvent(QWheelEvent* event) { pointerInput_->Wheel(event); }

// ---- keyboard focus and input methods ------------------------------------------------------------------

// The base class would repaint the whole widget, every cell and the scroll bars included; only the focused
// cell and, in some styles, the frame look different.
void TTableGridView::focusInEvent(QFocusEvent*) {
  UpdateFrame();
  RepaintChanged();
  accessibility_->FocusIn();
}

void TTableGridView::focusOutEvent(QFocusEvent* event) {
  UpdateFrame();
  if (qApp->autoSipEnabled() && testAttribute(Qt::WA_InputMethodEnabled)) QGuiApplication::inputMethod()->hide();
  // An editor opened by a composition still leaves the focus here; the focus going anywhere but into the
  // editor ends that edit.
  if (session_->IsEditing() && event->reason() != Qt::PopupFocusReason &&
      QApplication::focusWidget() != session_->Editor()) {
    session_->EndEdit(false);
  }
  RepaintChanged();
}

void TTableGridView::UpdateFrame() {
  // An empty widget shows no frame to compare: it is repainted until there is one.
  if (!frameShowsFocus_ && !size().isEmpty()) frameShowsFocus_ = FrameShowsFocus();
  if (frameShowsFocus_.value_or(true)) update(QRegion(frameRect()).subtracted(contentsRect()));
}

bool TTableGridView::FrameShowsFocus() const {
  QStyleOptionFrame option;
  initStyleOption(&option);
  const auto draw = [&](bool focused) {
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    option.state.setFlag(QStyle::State_HasFocus, focused);
    QPainter painter(&image);
    style()->drawControl(QStyle::CE_ShapedFrame, &option, &painter, this);
    painter.end();
    return image;
  };
  return draw(true) != draw(false);
}

void TTableGridView::inputMethodEvent(QInputMethodEvent* event) { session_->InputMethodEvent(event); }

QVariant TTableGridView::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (const TGridEditor* editor = session_->Editor();
      session_->IsEditing() && editor != nullptr && editor->isVisible()) {
    QVariant value = editor->inputMethodQuery(query);
    const QPoint offset = editor->mapTo(this, QPoint(0, 0));
    if (value.typeId() == QMetaType::QRectF) return value.toRectF().translated(offset);
    if (value.typeId() == QMetaType::QRect) return value.toRect().translated(offset);
    return value;
  }
  switch (query) {
    case Qt::ImEnabled:
      return true;
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle: {
      const QRect cell = CellRect(model_.FocusedCol(), model_.FocusedRow());
      return cell.isNull() ? QRect() : cell.translated(viewport()->pos());
    }
    case Qt::ImFont:
      return style_.editorFont;
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
      return 0;
    case Qt::ImSurroundingText:
    case Qt::ImCurrentSelection:
      return QString();
    case Qt::ImHints:
      return static_cast<int>(Qt::ImhNone);
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}

void TTableGridView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::StyleChange) frameShowsFocus_.reset();
  if (event->type() == QEvent::PaletteChange) {
    style_ = TGridStyle::For(palette(), zoomLevel_);
    session_->ApplyEditorStyle();
    viewport()->update();
  }
}

}  // namespace metrazil
