#pragma once

#include <QAbstractScrollArea>
#include <QRect>
#include <memory>
#include <optional>

#include "grid/layout/GridGeometry.h"
#include "grid/model/GridUndoStack.h"
#include "grid/model/TableGrid.h"
#include "grid/view/GridEditSession.h"
#include "grid/view/GridStyle.h"

namespace metrazil {

class TGridAccessibleEvents;
class TGridBlockCommands;
class TGridEditor;
class TGridKeyController;
class TGridPointerInput;

// The on-screen grid over one TTableGrid model, which it owns. Painting and input are thin layers over
// TGridGeometry; every focus move goes through MoveFocus, every edit through the edit session, keys through
// the key controller, and mouse and wheel first through the pointer's controllers.
class TTableGridView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TTableGridView(QWidget* parent = nullptr);
  ~TTableGridView() override;

  TTableGrid& Model() { return model_; }
  const TTableGrid& Model() const { return model_; }

  // Geometry of the viewport for the model's current top-left cell.
  TGridGeometry Geometry() const;
  // The cell's rectangle in viewport coordinates while it is on screen, else a null rectangle.
  QRect CellRect(int col, int row) const;
  // The cell under a viewport point, {-1, -1} outside the cells.
  TCellAddress ViewportToCell(QPoint pos) const;
  // Scrolls to the top-left cell, clamped; the focused cell stays.
  void SetTopLeft(int col, int row);
  int PageRows() const;
  int PageCols() const;

  // Scrolls as little as needed to show the cell fully, or as much of it as fits; the focus stays.
  void ScrollToCell(TCellAddress cell);
  // Clamps both corners into the body. When the selection changes, commits and ends an open edit first; then
  // selects from anchor to focus and, unless told not to, scrolls the focused cell into view. One layout
  // notice, one repaint of what changed.
  void SelectBlock(TCellAddress anchor, TCellAddress focus, bool scrollToFocus = true);
  // The focus to the cell (clamped into the body), with the anchor kept or moved along; nothing when the
  // focus is there already.
  void MoveFocus(int col, int row, bool keepAnchor);
  // Asks to paint again what changed on screen since the last such request: while every cell stays where it
  // was, or only the scrollable cells of one direction scrolled (moved on screen as they stand), the cells
  // whose focus, selection or focus rectangle changed; else the whole viewport.
  void RepaintChanged();

  // The life of both editors: every edit goes through it.
  TGridEditSession& EditSession() { return *session_; }
  const TGridEditSession& EditSession() const { return *session_; }
  // The edit session made the in-place editor: what watches the editors starts watching it.
  void EditorMade(TGridEditor& editor);

  // The table's undo list: every change a user makes is pushed on it; a table read clears it.
  TGridUndoStack& UndoStack() { return undo_; }
  // Take back the last change or make the last undone one again, and show where it happened: the block it
  // touched selected, its focus in view.
  void Undo();
  void Redo();
  void ShowStep(const TGridUndoStep& step);
  // Copy, cut, paste and clear of the selected rectangle.
  TGridBlockCommands& BlockCommands() { return *blockCommands_; }

  // kMinZoomLevel..kMaxZoomLevel; added to the point size of every cell font.
  int ZoomLevel() const { return zoomLevel_; }
  void SetZoomLevel(int level);
  // Fonts and colours, following the zoom level and the widget's palette.
  const TGridStyle& Style() const { return style_; }

  // Moves the keyboard focus to the control after (next) or before the grid, as Tab does.
  void FocusPastGrid(bool next) { focusNextPrevChild(next); }

  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void ConnectModel();
  void LayoutChanged();
  void CellsChanged(const TCellBox& box);
  void ClampTopLeft();
  // Drawn on the focused cell only while the grid itself, not an editor, has the keyboard focus.
  bool FocusRectShown() const;
  // Repaints the frame when the style draws it differently with the keyboard focus (most styles do not).
  void UpdateFrame();
  bool FrameShowsFocus() const;
  bool ViewportChildShown() const;
  void HandleLeftPress(QMouseEvent* event);
  void HandleRightPress(QMouseEvent* event);
  void HandleRightRelease(QMouseEvent* event);
  void HandleDoubleClick(QMouseEvent* event);

  // Built in this order, each from those above it, and destroyed the other way round before the widget
  // itself, so no event of a half-destroyed view reaches them.
  // Ownership of the grid's widgets and controllers, here and below: each has one owner, a std::unique_ptr
  // or the object it is a member of. A Qt parent only places a widget inside another; since owners let go first,
  // Qt's deletion of children never finds one of ours.
  TTableGrid model_;
  int zoomLevel_ = 0;
  TGridStyle style_;
  std::unique_ptr<TGridKeyController> keys_;
  std::unique_ptr<TGridEditSession> session_;             // its editors hand their keys to keys_
  std::unique_ptr<TGridAccessibleEvents> accessibility_;  // what assistive tools are told; watches the editors
  std::unique_ptr<TGridPointerInput> pointerInput_;       // the pointer's controllers, which use all of the above
  std::unique_ptr<TGridBlockCommands> blockCommands_;
  TGridUndoStack undo_;

  // What the viewport was last asked to show, for RepaintChanged.
  struct TShown {
    TGridGeometry geometry;
    TCellAddress focus;
    TCellAddress anchor;
    bool focusRect = false;
  };
  std::optional<TShown> shown_;
  std::optional<bool> frameShowsFocus_;  // for the current style

  bool reopenOnRightRelease_ = false;
  bool clampingTopLeft_ = false;
  // The second press of a double-click on a body cell must not open the editor on the cell the first
  // press just focused.
  quint64 lastLeftPressTime_ = 0;
  TCellAddress lastLeftPressCell_;
  bool lastLeftPressMovedFocus_ = false;
};

}  // namespace metrazil
