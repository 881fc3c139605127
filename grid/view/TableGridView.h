#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QRect>
#include <string>

#include "grid/layout/GridGeometry.h"
#include "grid/model/TableGrid.h"

namespace metrazil {

class TGridEditor;
class TGridSizing;
class TGridHeaderEditor;

// The on-screen grid over one TTableGrid model, which it owns. Painting and input are thin layers over
// GridGeometry; every focus move goes through MoveFocus, every edit through BeginEdit/CommitEdit/EndEdit/
// CancelEdit, each of which is harmless when no edit is open.
class TTableGridView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TTableGridView(QWidget* parent = nullptr);
  ~TTableGridView() override;

  TTableGrid& Model() { return model_; }
  const TTableGrid& Model() const { return model_; }
  // Column sizing and fitting, wheel and zoom, panning, scroll bars and links.
  TGridSizing& Sizing() { return *sizing_; }

  // Geometry of the viewport for the model's current top-left cell.
  GridGeometry Geometry() const;
  // The cell's rectangle in viewport coordinates while it is on screen, else a null rectangle.
  QRect CellRect(int col, int row) const;
  // The cell under a viewport point, {-1, -1} outside the cells.
  CellAddress ViewportToCell(QPoint pos) const;
  // Largest top-left cell (col = left column, row = top row) that still fills the viewport.
  CellAddress MaxTopLeft() const;
  // Scrolls to the top-left cell, clamped; the focused cell stays.
  void SetTopLeft(int col, int row);
  int PageRows() const;
  int PageCols() const;

  // Clamps the target into the body; when it differs from the focused cell, commits and ends an open edit,
  // moves the focus (and the anchor unless keepAnchor), and scrolls the focused cell fully into view.
  void MoveFocus(int col, int row, bool keepAnchor);

  // Opens the in-place editor on the focused body cell, with all its text selected or the caret at its end.
  // With takeFocus false the grid keeps the keyboard focus (input-method composition in progress).
  void BeginEdit(bool selectAll, bool takeFocus = true);
  // Writes the editor's text to the edit cell when it changed since the last commit; the editor stays open.
  void CommitEdit();
  // Commits and closes the editor; the grid takes the keyboard focus unless focusGrid is false (the focus
  // is going elsewhere).
  void EndEdit(bool focusGrid = true);
  // Restores the cell's starting text and closes the editor.
  void CancelEdit();
  bool IsEditing() const { return editing_; }
  TGridEditor* Editor() const { return editor_; }
  CellAddress EditCell() const { return editCell_; }

  // Opens the header editor on a header cell; an open one on another cell commits first.
  void BeginHeaderEdit(int col);
  TGridHeaderEditor* HeaderEditor() const { return headerEditor_; }

  // -10..10; added to the point size of every cell font.
  int ZoomLevel() const { return zoomLevel_; }
  void SetZoomLevel(int level);
  QFont BodyFont() const;    // body cells, at point size plus the zoom level
  QFont HeaderFont() const;  // header cells, at point size plus the zoom level
  QFont EditorFont() const;  // both editors: the body font at its own size
  QColor CellColor() const;
  QColor FixedColor() const;
  QColor TextColor() const;

  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

  // Used by the in-place editor.
  void EditorKey(QKeyEvent* event);
  void EditorLostFocus(Qt::FocusReason reason);
  void EditorPasted();
  void EditorTab(bool next);
  void HeaderEditorLostFocus();

 protected:
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
  void inputMethodEvent(QInputMethodEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void ConnectModel();
  void LayoutChanged();
  void CellWritten(int col, int row);

  void HandleKey(QKeyEvent* event);
  void ClampTopLeft();
  void HandleLeftPress(QMouseEvent* event);
  void HandleRightPress(QMouseEvent* event);
  void HandleRightRelease(QMouseEvent* event);
  void HandleDoubleClick(QMouseEvent* event);
  void TypeIntoNewEditor(QKeyEvent* event);
  void PageMove(int direction, bool keepAnchor);
  void SelectAll();

  void PlaceEditor();
  void LoadEditor(const std::string& cellText);
  std::string EditorBytes() const;
  void WriteFromEditor(const std::string& text);
  void HideEditor(bool focusGrid);
  // The header column a double-click in the header row stands for, or -1.
  int HeaderColumnAt(QPoint pos) const;

  TTableGrid model_;
  TGridSizing* sizing_ = nullptr;  // a child of the view
  int zoomLevel_ = 0;

  TGridEditor* editor_ = nullptr;              // created on first use, owned by the viewport
  TGridHeaderEditor* headerEditor_ = nullptr;  // created with the grid, owned by the viewport
  int headerCol_ = -1;

  bool editing_ = false;
  CellAddress editCell_;
  std::string startText_;      // the cell's text when the edit began; Esc puts it back
  std::string lastCommitted_;  // what the edit last wrote (at first the starting text)
  std::string loadedBytes_;    // the cell text the editor was last loaded from
  QString loadedText_;         // the editor's text right after that load
  bool writingFromEditor_ = false;
  bool closingEditor_ = false;
  bool reopenOnRightRelease_ = false;
  bool clampingTopLeft_ = false;
  bool forwardingKey_ = false;  // a key the editor does not take comes back to the grid: drop it
  // The second press of a double-click on a body cell must not open the editor on the cell the first
  // press just focused.
  quint64 lastLeftPressTime_ = 0;
  CellAddress lastLeftPressCell_;
  bool lastLeftPressMovedFocus_ = false;
  bool forwardingComposition_ = false;  // input-method events go to the editor while the grid keeps focus
};

}  // namespace metrazil
