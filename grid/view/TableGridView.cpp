#include "grid/view/TableGridView.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <limits>

#include "grid/layout/CellTextKind.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridEditor.h"
#include "grid/view/GridHeaderEditor.h"
#include "grid/view/GridKeyAction.h"
#include "grid/view/GridPainter.h"
#include "grid/view/GridSizing.h"

namespace metrazil {

namespace {

constexpr int kBodyPointSize = 9;    // 12-pixel character height at 96 dpi
constexpr int kHeaderPointSize = 8;  // 11-pixel character height at 96 dpi
constexpr int kBorderDistance = 4;   // double-clicks this close to a column border fit the column

int ToInt(std::int64_t v) {
  return static_cast<int>(
      std::clamp<std::int64_t>(v, std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2));
}

QRect ToQRect(const GridRect& r) {
  if (r.IsEmpty()) return {};
  return QRect(QPoint(ToInt(r.left), ToInt(r.top)), QPoint(ToInt(r.right) - 1, ToInt(r.bottom) - 1));
}

// What an editor shows of a text, and whether it had to be cut: the editors take at most kMaxEditedChars
// characters, which come from at most four bytes each.
constexpr std::size_t kMaxEditedBytes = 4 * kMaxEditedChars;
std::pair<QString, bool> ForEditing(std::string_view bytes) {
  QString text = FromTableBytes(bytes.substr(0, kMaxEditedBytes));
  const bool cut = bytes.size() > kMaxEditedBytes || static_cast<std::size_t>(text.size()) > kMaxEditedChars;
  if (cut) text.truncate(static_cast<qsizetype>(kMaxEditedChars));
  return {text, cut};
}

std::pair<QString, bool> ToEditorText(const std::string& cellText) {
  auto [text, cut] = ForEditing(RemoveMarkup(cellText, kMaxEditedBytes + 1));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return {text, cut};
}

// Clears a flag when a scope ends, also by an exception.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

TTableGridView::TTableGridView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  // The scroll bars are driven by their own controller; without it the grid scrolls by keys only.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  headerEditor_ = new TGridHeaderEditor(*this, viewport());
  ConnectModel();
  sizing_ = new TGridSizing(*this);
}

TTableGridView::~TTableGridView() {
  // The editors go first, while the view is whole: losing the focus on the way must not reach a model
  // that is already gone. Nothing is stored: closing the window saves nothing.
  editing_ = false;
  headerCol_ = -1;
  delete editor_;
  delete headerEditor_;
  model_.OnCellWritten = nullptr;
  model_.OnLayoutChanged = nullptr;
  model_.OnCellRangeChanged = nullptr;
  model_.FullyVisibleRows = nullptr;
  // Its event filters must not see the events of a view that is half destroyed.
  delete sizing_;
  sizing_ = nullptr;
}

void TTableGridView::ConnectModel() {
  model_.OnCellWritten = [this](int col, int row) { CellWritten(col, row); };
  model_.OnLayoutChanged = [this] { LayoutChanged(); };
  model_.OnCellRangeChanged = [this](CellAddress, CellAddress) { viewport()->update(); };
  model_.FullyVisibleRows = [this](int topRow) {
    return GridGeometry(model_, viewport()->width(), viewport()->height(), model_.LeftCol(), topRow).FullyVisibleRows();
  };
}

// ---- geometry ------------------------------------------------------------------------------------------

GridGeometry TTableGridView::Geometry() const {
  return GridGeometry(model_, viewport()->width(), viewport()->height());
}

QRect TTableGridView::CellRect(int col, int row) const { return ToQRect(Geometry().CellRect(col, row)); }

CellAddress TTableGridView::ViewportToCell(QPoint pos) const { return Geometry().CellAt(pos.x(), pos.y()); }

CellAddress TTableGridView::MaxTopLeft() const {
  const GridGeometry geometry = Geometry();
  return {geometry.MaxLeftCol(), geometry.MaxTopRow()};
}

void TTableGridView::SetTopLeft(int col, int row) {
  const GridGeometry geometry = Geometry();
  const int left = geometry.ClampLeftCol(col);
  const int top = geometry.ClampTopRow(row);
  if (left != model_.LeftCol() || top != model_.TopRow()) model_.SetTopLeft(left, top);
}

int TTableGridView::PageRows() const { return Geometry().RowPage(); }

int TTableGridView::PageCols() const { return Geometry().ColPage(); }

void TTableGridView::ClampTopLeft() {
  if (clampingTopLeft_) return;
  FlagScope scope(clampingTopLeft_);
  SetTopLeft(model_.LeftCol(), model_.TopRow());
}

void TTableGridView::LayoutChanged() {
  ClampTopLeft();
  if (editing_) PlaceEditor();
  if (headerCol_ >= 0) {
    const QRect cell = CellRect(headerCol_, 0);
    if (!cell.isNull()) headerEditor_->setGeometry(cell.adjusted(1, 1, -1, -1));
  }
  viewport()->update();
  if (sizing_ != nullptr) sizing_->layoutChanged();
}

void TTableGridView::CellWritten(int col, int row) {
  viewport()->update();
  if (editing_ && !writingFromEditor_ && col == editCell_.col && row == editCell_.row) {
    const std::string text = model_.ReadCell(col, row);
    LoadEditor(text);
    lastCommitted_ = text;
    editor_->selectAll();
  }
}

// ---- fonts and colours ---------------------------------------------------------------------------------

void TTableGridView::SetZoomLevel(int level) {
  zoomLevel_ = std::clamp(level, -10, 10);
  viewport()->update();
}

QFont TTableGridView::BodyFont() const {
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(std::max(1, kBodyPointSize + zoomLevel_));
  return font;
}

QFont TTableGridView::HeaderFont() const {
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(std::max(1, kHeaderPointSize + zoomLevel_));
  font.setBold(true);
  return font;
}

QFont TTableGridView::EditorFont() const {
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(kBodyPointSize);
  return font;
}

QColor TTableGridView::CellColor() const { return palette().color(QPalette::Base); }

QColor TTableGridView::FixedColor() const { return palette().color(QPalette::Button); }

QColor TTableGridView::TextColor() const { return palette().color(QPalette::Text); }

// ---- painting ------------------------------------------------------------------------------------------

void TTableGridView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const QRect dirty = event->rect();
  const GridGeometry geometry = Geometry();
  const TGridPainter::Style style{BodyFont(), HeaderFont(), CellColor(), FixedColor(), TextColor()};
  TGridPainter cells(painter, style);

  const int selLeft = std::min(model_.AnchorCol(), model_.FocusedCol());
  const int selRight = std::max(model_.AnchorCol(), model_.FocusedCol());
  const int selTop = std::min(model_.AnchorRow(), model_.FocusedRow());
  const int selBottom = std::max(model_.AnchorRow(), model_.FocusedRow());
  const bool editorShown = editor_ != nullptr && editor_->isVisible();

  // The cell under an open editor is painted too: the editor leaves its grid lines uncovered.
  for (int row : geometry.VisibleRows()) {
    for (int col : geometry.VisibleCols()) {
      const QRect rect = ToQRect(geometry.CellRect(col, row));
      if (rect.isNull() || !rect.intersects(dirty)) continue;
      const std::string_view text = model_.CellText(col, row);
      if (row < model_.FixedRows() || col < model_.FixedCols()) {
        cells.PaintHeaderCell(rect, text);
      } else {
        const bool selected = col >= selLeft && col <= selRight && row >= selTop && row <= selBottom;
        cells.PaintBodyCell(rect, text, selected);
      }
    }
  }
  if (hasFocus() && !editorShown) {
    const QRect focused = ToQRect(geometry.CellRect(model_.FocusedCol(), model_.FocusedRow()));
    if (!focused.isNull()) cells.PaintFocusRect(focused);
  }

  const int cellsRight = ToInt(geometry.CellsRight());
  const int cellsBottom = ToInt(geometry.CellsBottom());
  const QRect client = viewport()->rect();
  painter.fillRect(QRect(QPoint(cellsRight, 0), client.bottomRight()).intersected(dirty), style.cellColor);
  painter.fillRect(QRect(QPoint(0, cellsBottom), QPoint(cellsRight - 1, client.bottom())).intersected(dirty),
                   style.cellColor);
}

void TTableGridView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  ClampTopLeft();
  if (editing_) PlaceEditor();
}

void TTableGridView::scrollContentsBy(int, int) {
  // The view follows the model's top-left cell; scroll-bar values are mapped onto it elsewhere.
  viewport()->update();
}

// ---- focus moves ---------------------------------------------------------------------------------------

void TTableGridView::MoveFocus(int col, int row, bool keepAnchor) {
  col = std::clamp(col, model_.FixedCols(), model_.ColCount() - 1);
  row = std::clamp(row, model_.FixedRows(), model_.RowCount() - 1);
  if (col == model_.FocusedCol() && row == model_.FocusedRow()) return;
  EndEdit();
  model_.SetFocusedCell(col, row, keepAnchor);
  const CellAddress topLeft = Geometry().ScrollIntoView(col, row);
  SetTopLeft(topLeft.col, topLeft.row);
  viewport()->update();
}

void TTableGridView::PageMove(int direction, bool keepAnchor) {
  const GridGeometry geometry = Geometry();
  const int page = geometry.RowPage();
  const int target = std::clamp(model_.FocusedRow() + direction * page, model_.FixedRows(), model_.RowCount() - 1);
  if (target == model_.FocusedRow()) return;
  SetTopLeft(model_.LeftCol(), model_.TopRow() + direction * page);
  MoveFocus(model_.FocusedCol(), target, keepAnchor);
}

void TTableGridView::SelectAll() {
  model_.SetFocusedCell(std::max(0, model_.FixedCols()), model_.FixedRows(), false);
  model_.SetFocusedCell(model_.ColCount() - 1, model_.RowCount() - 1, true);
  viewport()->update();
}

// ---- keys ----------------------------------------------------------------------------------------------

void TTableGridView::keyPressEvent(QKeyEvent* event) { HandleKey(event); }

void TTableGridView::HandleKey(QKeyEvent* event) {
  if (forwardingKey_) {
    event->ignore();
    return;
  }
  if (editing_) {
    // The editor is open while the grid keeps the focus (a composition just started it): keys are its own.
    FlagScope scope(forwardingKey_);
    QCoreApplication::sendEvent(editor_, event);
    return;
  }
  const bool keep = (event->modifiers() & Qt::ShiftModifier) != 0;
  const int col = model_.FocusedCol();
  const int row = model_.FocusedRow();
  using A = TGridKeyAction;
  switch (GridKeyActionFor(*event)) {
    case A::kUp:
      MoveFocus(col, row - 1, keep);
      break;
    case A::kDown:
      MoveFocus(col, row + 1, keep);
      break;
    case A::kLeft:
      MoveFocus(col - 1, row, keep);
      break;
    case A::kRight:
      MoveFocus(col + 1, row, keep);
      break;
    case A::kFirstCol:
      MoveFocus(0, row, keep);
      break;
    case A::kLastCol:
      MoveFocus(model_.ColCount() - 1, row, keep);
      break;
    case A::kPageUp:
      PageMove(-1, keep);
      break;
    case A::kPageDown:
      PageMove(1, keep);
      break;
    case A::kFirstCell:
      MoveFocus(0, model_.FixedRows(), keep);
      break;
    case A::kLastCell:
      MoveFocus(model_.ColCount() - 1, model_.RowCount() - 1, keep);
      break;
    case A::kTopVisible:
      MoveFocus(col, model_.TopRow(), keep);
      break;
    case A::kBottomVisible: {
      const GridGeometry geometry = Geometry();
      MoveFocus(col, std::max(geometry.LastFullyVisibleRow(), geometry.TopRow()), keep);
      break;
    }
    case A::kScrollUp:
      SetTopLeft(model_.LeftCol(), model_.TopRow() - 1);
      break;
    case A::kScrollDown:
      SetTopLeft(model_.LeftCol(), model_.TopRow() + 1);
      break;
    case A::kPageLeft:
    case A::kPageRight: {
      const int step = (GridKeyActionFor(*event) == A::kPageLeft ? -1 : 1) * PageCols();
      SetTopLeft(model_.LeftCol() + step, model_.TopRow());
      MoveFocus(col + step, row, keep);
      break;
    }
    case A::kSelectAll:
      SelectAll();
      break;
    case A::kEdit:
      BeginEdit(true);
      break;
    case A::kEditAtEnd:
      BeginEdit(false);
      break;
    case A::kType:
      TypeIntoNewEditor(event);
      break;
    case A::kNone:
      event->ignore();
      return;
  }
  event->accept();
}

void TTableGridView::TypeIntoNewEditor(QKeyEvent* event) {
  BeginEdit(true);
  if (!editing_) return;
  QKeyEvent typed(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                  static_cast<quint16>(event->count()));
  FlagScope scope(forwardingKey_);
  QCoreApplication::sendEvent(editor_, &typed);
}

// ---- mouse ---------------------------------------------------------------------------------------------

void TTableGridView::mousePressEvent(QMouseEvent* event) {
  // A press outside the editor ends the edit before anything else; a right press has its own rule.
  if (event->button() != Qt::RightButton) EndEdit();
  if (sizing_->mousePressEvent(event)) return;
  if (event->button() == Qt::LeftButton) {
    HandleLeftPress(event);
  } else if (event->button() == Qt::RightButton) {
    HandleRightPress(event);
  }
}

void TTableGridView::mouseMoveEvent(QMouseEvent* event) {
  sizing_->mouseMoveEvent(event);
  event->accept();
}

void TTableGridView::mouseReleaseEvent(QMouseEvent* event) {
  if (sizing_->mouseReleaseEvent(event)) return;
  if (event->button() == Qt::RightButton) HandleRightRelease(event);
}

void TTableGridView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (sizing_->mouseDoubleClickEvent(event)) return;
  if (event->button() == Qt::LeftButton) {
    HandleDoubleClick(event);
  } else {
    mousePressEvent(event);
  }
}

void TTableGridView::HandleLeftPress(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  reopenOnRightRelease_ = false;
  EndEdit();
  const CellAddress hit = ViewportToCell(event->position().toPoint());
  const bool secondOfDoubleClick =
      lastLeftPressMovedFocus_ && hit == lastLeftPressCell_ &&
      event->timestamp() - lastLeftPressTime_ < static_cast<quint64>(QApplication::doubleClickInterval());
  lastLeftPressTime_ = event->timestamp();
  lastLeftPressCell_ = hit;
  lastLeftPressMovedFocus_ = false;
  // With editing on, the mouse never selects a range: Shift and dragging change nothing.
  if (hit.col < model_.FixedCols() || hit.row < model_.FixedRows()) return;
  if (hit.col == model_.FocusedCol() && hit.row == model_.FocusedRow()) {
    if (!secondOfDoubleClick) BeginEdit(true);
  } else {
    MoveFocus(hit.col, hit.row, false);
    lastLeftPressMovedFocus_ = true;
  }
}

void TTableGridView::HandleRightPress(QMouseEvent*) {
  setFocus(Qt::MouseFocusReason);
  if (editing_) {
    // Editor mode stays on: the editor comes back on release.
    EndEdit();
    reopenOnRightRelease_ = true;
  }
}

void TTableGridView::HandleRightRelease(QMouseEvent*) {
  if (!reopenOnRightRelease_) return;
  reopenOnRightRelease_ = false;
  BeginEdit(true);
}

int TTableGridView::HeaderColumnAt(QPoint pos) const {
  if (model_.FixedRows() == 0) return -1;
  const GridGeometry geometry = Geometry();
  const int row = geometry.RowAt(pos.y());
  if (row != 0) return -1;
  const int col = geometry.ColAt(pos.x());
  if (col >= 0) return col;
  // The empty area right of the last column stands for the last column's header.
  if (pos.x() >= geometry.CellsRight() && geometry.LastVisibleCol() == model_.ColCount() - 1) {
    return model_.ColCount() - 1;
  }
  return -1;
}

void TTableGridView::HandleDoubleClick(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  const int col = HeaderColumnAt(pos);
  if (col < 0) return;  // the second press on a body cell opens no editor
  const QRect cell = CellRect(col, 0);
  const bool nearLeft = col > 0 && std::abs(pos.x() - cell.left()) < kBorderDistance;
  const bool nearRight = std::abs(pos.x() - (cell.right() + 1)) < kBorderDistance;
  if (nearLeft || nearRight) return;  // a double-click on a border fits the column instead
  BeginHeaderEdit(col);
}

void TTableGridView::wheelEvent(QWheelEvent* event) { sizing_->wheelEvent(event); }

void TTableGridView::timerEvent(QTimerEvent* event) { QAbstractScrollArea::timerEvent(event); }

// ---- keyboard focus and input methods ------------------------------------------------------------------

void TTableGridView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void TTableGridView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  // An editor opened by a composition still leaves the focus here; the focus going anywhere but into the
  // editor ends that edit.
  if (editing_ && event->reason() != Qt::PopupFocusReason && QApplication::focusWidget() != editor_) {
    EndEdit(false);
  }
  viewport()->update();
}

void TTableGridView::inputMethodEvent(QInputMethodEvent* event) {
  if (!editing_) {
    if (event->commitString().isEmpty() && event->preeditString().isEmpty()) {
      event->accept();
      return;
    }
    // The grid keeps the focus until the composition commits: moving it now would make the input method
    // commit a partial candidate.
    BeginEdit(true, false);
    if (!editing_) return;
    forwardingComposition_ = true;
  }
  QCoreApplication::sendEvent(editor_, event);
  if (forwardingComposition_ && !event->commitString().isEmpty()) {
    forwardingComposition_ = false;
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (editing_ && hasFocus()) editor_->setFocus(Qt::OtherFocusReason);
        },
        Qt::QueuedConnection);
  }
}

QVariant TTableGridView::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (editing_ && editor_ != nullptr && editor_->isVisible()) {
    const QVariant value = editor_->inputMethodQuery(query);
    const QPoint offset = editor_->mapTo(this, QPoint(0, 0));
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
      return EditorFont();
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

// ---- the in-place editor -------------------------------------------------------------------------------

void TTableGridView::BeginEdit(bool selectAll, bool takeFocus) {
  const int col = model_.FocusedCol();
  const int row = model_.FocusedRow();
  if (row < model_.FixedRows() || col < model_.FixedCols()) return;
  if (editor_ == nullptr) {
    editor_ = new TGridEditor(*this, viewport());
    QPalette colours = editor_->palette();
    colours.setColor(QPalette::Base, CellColor());
    colours.setColor(QPalette::Window, CellColor());  // the text margins around the editor's viewport
    colours.setColor(QPalette::Text, TextColor());
    editor_->setPalette(colours);
    editor_->setAutoFillBackground(true);
  }
  if (!editing_) {
    const CellAddress topLeft = Geometry().ScrollIntoView(col, row);
    SetTopLeft(topLeft.col, topLeft.row);
    editing_ = true;
    editCell_ = {col, row};
    startText_ = model_.ReadCell(col, row);
    lastCommitted_ = startText_;
    editor_->setFont(EditorFont());
    LoadEditor(startText_);
    PlaceEditor();
    editor_->show();
    viewport()->update();
  }
  if (takeFocus) editor_->setFocus(Qt::OtherFocusReason);
  if (selectAll) {
    editor_->selectAll();
  } else {
    editor_->moveCursor(QTextCursor::End);
  }
}

void TTableGridView::LoadEditor(const std::string& cellText) {
  loadedBytes_ = cellText;
  // A text too long to lay out quickly is shown cut and read-only: ending the edit leaves the cell whole.
  const auto [text, cut] = ToEditorText(cellText);
  editor_->setReadOnly(cut);
  // Breaking lines only at word boundaries costs time with the square of a long word's length.
  editor_->setWordWrapMode(cut ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
  editor_->setPlainText(text);
  loadedText_ = editor_->toPlainText();
}

std::string TTableGridView::EditorBytes() const {
  const QString text = editor_->toPlainText();
  // Unchanged text stands for the cell's own bytes: opening and closing the editor must not strip tags or
  // re-encode what was loaded.
  if (text == loadedText_) return loadedBytes_;
  QString lines = text;
  lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return ToTableBytes(lines);
}

void TTableGridView::WriteFromEditor(const std::string& text) {
  FlagScope scope(writingFromEditor_);
  model_.WriteCell(editCell_.col, editCell_.row, text);
}

void TTableGridView::PlaceEditor() {
  const QRect cell = CellRect(editCell_.col, editCell_.row);
  if (cell.isNull()) {
    editor_->setGeometry(-10000, -10000, 1, 1);  // scrolled out: kept open, out of sight
    return;
  }
  editor_->setGeometry(cell.adjusted(0, 0, -1, -1));
}

void TTableGridView::CommitEdit() {
  if (!editing_) return;
  const std::string text = EditorBytes();
  if (text == lastCommitted_) return;
  WriteFromEditor(text);
  lastCommitted_ = text;
}

void TTableGridView::EndEdit(bool focusGrid) {
  if (!editing_ || closingEditor_) return;
  FlagScope scope(closingEditor_);
  CommitEdit();
  const std::string text = EditorBytes();
  if (model_.CellText(editCell_.col, editCell_.row) != text) WriteFromEditor(text);
  HideEditor(focusGrid);
}

void TTableGridView::CancelEdit() {
  if (!editing_) return;
  LoadEditor(startText_);
  EndEdit();
}

void TTableGridView::HideEditor(bool focusGrid) {
  editing_ = false;
  forwardingComposition_ = false;
  if (focusGrid) setFocus(Qt::OtherFocusReason);
  editor_->hide();
  viewport()->update();
}

void TTableGridView::EditorKey(QKeyEvent* event) {
  const int col = model_.FocusedCol();
  const int row = model_.FocusedRow();
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      EndEdit();
      break;
    case Qt::Key_Escape:
      CancelEdit();
      break;
    case Qt::Key_PageUp:
      PageMove(-1, false);
      break;
    case Qt::Key_PageDown:
      PageMove(1, false);
      break;
    case Qt::Key_Up:
      // In the top body row the focus cannot move; the editor stays open on its cell.
      CommitEdit();
      MoveFocus(col, row - 1, false);
      break;
    case Qt::Key_Down:
      CommitEdit();
      MoveFocus(col, row + 1, false);
      break;
    default:
      break;
  }
}

void TTableGridView::EditorTab(bool next) {
  EndEdit();
  focusNextPrevChild(next);
}

void TTableGridView::EditorLostFocus(Qt::FocusReason reason) {
  if (!editing_ || closingEditor_ || reason == Qt::PopupFocusReason) return;
  QWidget* now = QApplication::focusWidget();
  // A press in the grid ends the edit itself, after deciding what the press does.
  if (now == this && reason == Qt::MouseFocusReason) return;
  const bool focusGrid = now == nullptr || now == this || now->window() != window();
  EndEdit(focusGrid);
}

void TTableGridView::EditorPasted() {
  // A paste reaches the cell at once.
  CommitEdit();
}

// ---- the header editor ---------------------------------------------------------------------------------

void TTableGridView::BeginHeaderEdit(int col) {
  if (col < 0 || col >= model_.ColCount() || model_.FixedRows() == 0) return;
  if (headerEditor_->isVisible() && headerCol_ != col) HeaderEditorLostFocus();
  EndEdit(false);
  const QRect cell = CellRect(col, 0);
  if (cell.isNull()) return;
  headerCol_ = col;
  headerEditor_->setFont(EditorFont());
  QPalette colours = headerEditor_->palette();
  colours.setColor(QPalette::Base, CellColor());
  colours.setColor(QPalette::Text, TextColor());
  headerEditor_->setPalette(colours);
  headerEditor_->setGeometry(cell.adjusted(1, 1, -1, -1));
  const auto [text, cut] = ForEditing(model_.ReadCell(col, 0));
  headerEditor_->setReadOnly(cut);
  headerEditor_->setText(text);
  headerEditor_->setModified(false);
  headerEditor_->show();
  headerEditor_->setFocus(Qt::OtherFocusReason);
}

void TTableGridView::HeaderEditorLostFocus() {
  if (headerCol_ < 0) return;
  const int col = headerCol_;
  headerCol_ = -1;
  // Unchanged text leaves the cell's bytes as they were.
  if (headerEditor_->isModified()) model_.WriteCell(col, 0, ToTableBytes(headerEditor_->text()));
  headerEditor_->hide();
}

}  // namespace metrazil
