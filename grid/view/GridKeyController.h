#pragma once

#include "grid/view/GridKeyAction.h"

class QKeyEvent;

namespace metrazil {

class TGridEditor;
class TTableGridView;

// Keys of the grid and of its two editors: one table maps a key, where it was pressed, to a named action,
// and each action is one function here.
class TGridKeyController {
 public:
  // Where a key was pressed.
  enum class Where { kGrid, kEditor, kHeaderEditor };

  explicit TGridKeyController(TTableGridView& view);

  // The first row of the key table that matches the key; in the grid, a printable character or Backspace
  // without Ctrl or Alt types into a new edit.
  static TGridKeyAction ActionFor(const QKeyEvent& event, Where where);

  // Whether the grid acts on the key when it has the keyboard focus.
  static bool IsGridKey(const QKeyEvent& event) { return ActionFor(event, Where::kGrid) != TGridKeyAction::kNone; }
  // A key the grid itself got: an open edit takes it, else the grid acts on it or ignores it.
  void GridKeyPress(QKeyEvent* event);
  // A key the in-place editor got. False when it is the editor's own ordinary editing.
  bool EditorKeyPress(TGridEditor& editor, QKeyEvent* event);
  // A key the header editor got. False when it is the editor's own ordinary editing.
  bool HeaderEditorKeyPress(QKeyEvent* event);

 private:
  void MoveBy(int cols, int rows, bool keepAnchor);
  void MoveTo(int col, int row, bool keepAnchor);
  void PageMove(int direction, bool keepAnchor);
  void PageSideways(int direction, bool keepAnchor);
  void ScrollBy(int rows);
  void MoveToBottomVisible(bool keepAnchor);
  void SelectAll();
  bool LeaveCell(TGridEditor& editor, int direction);

  TTableGridView& view_;
};

}  // namespace metrazil
