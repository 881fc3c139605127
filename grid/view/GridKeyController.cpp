#include "grid/view/GridKeyController.h"

#include <QKeyEvent>
#include <algorithm>

#include "grid/view/GridBlockCommands.h"
#include "grid/view/GridEditSession.h"
#include "grid/view/GridEditor.h"
#include "grid/view/TableGridView.h"

namespace metrazil {
namespace {

using Action = TGridKeyAction;
using Where = TGridKeyController::Where;

struct TKeyBinding {
  Where where;
  int key;
  Qt::KeyboardModifiers counted;  // the modifiers that take part; the others are ignored
  Qt::KeyboardModifiers needed;   // what the counted ones must be
  Action action;
};

// Which modifiers count. In the grid Shift is no part of a key: with a movement it keeps the anchor. In the
// in-place editor Meta is none, and some keys act whatever is held.
const Qt::KeyboardModifiers kCountedInGrid = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
const Qt::KeyboardModifiers kCountedInEditor = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
// Keys whose meaning Shift changes in the grid.
const Qt::KeyboardModifiers kCountedWithShift = kCountedInGrid | Qt::ShiftModifier;
const Qt::KeyboardModifiers kCountedNone = Qt::NoModifier;  // whatever is held matches
// What the counted modifiers must be.
const Qt::KeyboardModifiers kNeedNone = Qt::NoModifier;
const Qt::KeyboardModifiers kNeedCtrl = Qt::ControlModifier;
const Qt::KeyboardModifiers kNeedShift = Qt::ShiftModifier;
const Qt::KeyboardModifiers kNeedCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

// The first matching row wins.
const TKeyBinding kKeyTable[] = {
    {Where::kGrid, Qt::Key_A, kCountedInGrid, kNeedCtrl, Action::kSelectAll},
    {Where::kGrid, Qt::Key_Up, kCountedInGrid, kNeedNone, Action::kUp},
    {Where::kGrid, Qt::Key_Up, kCountedInGrid, kNeedCtrl, Action::kScrollUp},
    {Where::kGrid, Qt::Key_Down, kCountedInGrid, kNeedNone, Action::kDown},
    {Where::kGrid, Qt::Key_Down, kCountedInGrid, kNeedCtrl, Action::kScrollDown},
    {Where::kGrid, Qt::Key_Left, kCountedInGrid, kNeedNone, Action::kLeft},
    {Where::kGrid, Qt::Key_Left, kCountedInGrid, kNeedCtrl, Action::kPageLeft},
    {Where::kGrid, Qt::Key_Right, kCountedInGrid, kNeedNone, Action::kRight},
    {Where::kGrid, Qt::Key_Right, kCountedInGrid, kNeedCtrl, Action::kPageRight},
    {Where::kGrid, Qt::Key_Home, kCountedInGrid, kNeedNone, Action::kFirstCol},
    {Where::kGrid, Qt::Key_Home, kCountedInGrid, kNeedCtrl, Action::kFirstCell},
    {Where::kGrid, Qt::Key_End, kCountedInGrid, kNeedNone, Action::kLastCol},
    {Where::kGrid, Qt::Key_End, kCountedInGrid, kNeedCtrl, Action::kLastCell},
    {Where::kGrid, Qt::Key_PageUp, kCountedInGrid, kNeedNone, Action::kPageUp},
    {Where::kGrid, Qt::Key_PageUp, kCountedInGrid, kNeedCtrl, Action::kTopVisible},
    {Where::kGrid, Qt::Key_PageDown, kCountedInGrid, kNeedNone, Action::kPageDown},
    {Where::kGrid, Qt::Key_PageDown, kCountedInGrid, kNeedCtrl, Action::kBottomVisible},
    {Where::kGrid, Qt::Key_Return, kCountedInGrid, kNeedNone, Action::kEdit},
    {Where::kGrid, Qt::Key_Enter, kCountedInGrid, kNeedNone, Action::kEdit},
    {Where::kGrid, Qt::Key_F2, kCountedInGrid, kNeedNone, Action::kEditAtEnd},
    {Where::kGrid, Qt::Key_Backspace, kCountedInGrid, kNeedNone, Action::kType},
    {Where::kGrid, Qt::Key_Z, kCountedWithShift, kNeedCtrl, Action::kUndo},
    {Where::kGrid, Qt::Key_Z, kCountedWithShift, kNeedCtrlShift, Action::kRedo},
    {Where::kGrid, Qt::Key_Y, kCountedWithShift, kNeedCtrl, Action::kRedo},
    {Where::kGrid, Qt::Key_C, kCountedWithShift, kNeedCtrl, Action::kCopyBlock},
    {Where::kGrid, Qt::Key_Insert, kCountedWithShift, kNeedCtrl, Action::kCopyBlock},
    {Where::kGrid, Qt::Key_X, kCountedWithShift, kNeedCtrl, Action::kCutBlock},
    {Where::kGrid, Qt::Key_V, kCountedWithShift, kNeedCtrl, Action::kPasteBlock},
    {Where::kGrid, Qt::Key_Insert, kCountedWithShift, kNeedShift, Action::kPasteBlock},
    {Where::kGrid, Qt::Key_Delete, kCountedWithShift, kNeedNone, Action::kClearBlock},

    {Where::kEditor, Qt::Key_Return, kCountedInEditor, kNeedCtrl, Action::kNewLine},
    {Where::kEditor, Qt::Key_Enter, kCountedInEditor, kNeedCtrl, Action::kNewLine},
    {Where::kEditor, Qt::Key_Return, kCountedNone, kNeedNone, Action::kEndEdit},
    {Where::kEditor, Qt::Key_Enter, kCountedNone, kNeedNone, Action::kEndEdit},
    {Where::kEditor, Qt::Key_Escape, kCountedNone, kNeedNone, Action::kCancelEdit},
    {Where::kEditor, Qt::Key_PageUp, kCountedNone, kNeedNone, Action::kPageUp},
    {Where::kEditor, Qt::Key_PageDown, kCountedNone, kNeedNone, Action::kPageDown},
    {Where::kEditor, Qt::Key_Up, kCountedInEditor, kNeedNone, Action::kLeaveUp},
    {Where::kEditor, Qt::Key_Down, kCountedInEditor, kNeedNone, Action::kLeaveDown},
    {Where::kEditor, Qt::Key_Home, kCountedInEditor, kNeedNone, Action::kCaretStart},
    {Where::kEditor, Qt::Key_End, kCountedInEditor, kNeedNone, Action::kCaretEnd},
    {Where::kEditor, Qt::Key_F2, kCountedNone, kNeedNone, Action::kCaretEnd},
    {Where::kEditor, Qt::Key_Insert, kCountedInEditor, kNeedCtrl, Action::kCopy},
    {Where::kEditor, Qt::Key_Insert, kCountedInEditor, kNeedShift, Action::kPaste},
    {Where::kEditor, Qt::Key_Insert, kCountedNone, kNeedNone, Action::kSwallow},
    {Where::kEditor, Qt::Key_Delete, kCountedInEditor, kNeedShift, Action::kCut},

    // The header editor's text reaches the cell when the focus leaves it, never by a key.
    {Where::kHeaderEditor, Qt::Key_Return, kCountedNone, kNeedNone, Action::kSwallow},
    {Where::kHeaderEditor, Qt::Key_Enter, kCountedNone, kNeedNone, Action::kSwallow},
    {Where::kHeaderEditor, Qt::Key_Escape, kCountedNone, kNeedNone, Action::kSwallow},
};

bool Typed(const QKeyEvent& event) {
  const QString text = event.text();
  const bool printable = !text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127;
  return printable && (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
}

}  // namespace

TGridKeyController::TGridKeyController(TTableGridView& view) : view_(view) {}

TGridKeyAction TGridKeyController::ActionFor(const QKeyEvent& event, Where where) {
  for (const TKeyBinding& binding : kKeyTable) {
    if (binding.where == where && binding.key == event.key() &&
        (event.modifiers() & binding.counted) == binding.needed) {
      return binding.action;
    }
  }
  return where == Where::kGrid && Typed(event) ? Action::kType : Action::kNone;
}

void TGridKeyController::GridKeyPress(QKeyEvent* event) {
  TGridEditSession& edit = view_.EditSession();
  if (edit.TakeGridKey(event)) return;
  const TTableGrid& model = view_.Model();
  const bool keep = (event->modifiers() & Qt::ShiftModifier) != 0;
  switch (ActionFor(*event, Where::kGrid)) {
    case Action::kUp:
      MoveBy(0, -1, keep);
      break;
    case Action::kDown:
      MoveBy(0, 1, keep);
      break;
    case Action::kLeft:
      MoveBy(-1, 0, keep);
      break;
    case Action::kRight:
      MoveBy(1, 0, keep);
      break;
    case Action::kFirstCol:
      MoveTo(0, model.FocusedRow(), keep);
      break;
    case Action::kLastCol:
      MoveTo(model.ColCount() - 1, model.FocusedRow(), keep);
      break;
    case Action::kPageUp:
      PageMove(-1, keep);
      break;
    case Action::kPageDown:
      PageMove(1, keep);
      break;
    case Action::kFirstCell:
      MoveTo(0, model.FixedRows(), keep);
      break;
    case Action::kLastCell:
      MoveTo(model.ColCount() - 1, model.RowCount() - 1, keep);
      break;
    case Action::kTopVisible:
      MoveTo(model.FocusedCol(), model.TopRow(), keep);
      break;
    case Action::kBottomVisible:
      MoveToBottomVisible(keep);
      break;
    case Action::kScrollUp:
      ScrollBy(-1);
      break;
    case Action::kScrollDown:
      ScrollBy(1);
      break;
    case Action::kPageLeft:
      PageSideways(-1, keep);
      break;
    case Action::kPageRight:
      PageSideways(1, keep);
      break;
    case Action::kSelectAll:
      SelectAll();
      break;
    case Action::kEdit:
      edit.BeginEdit(true);
      break;
    case Action::kEditAtEnd:
      edit.BeginEdit(false);
      break;
    case Action::kType:
      edit.TypeIntoNewEdit(event);
      break;
    case Action::kUndo:
      view_.Undo();
      break;
    case Action::kRedo:
      view_.Redo();
      break;
    case Action::kCopyBlock:
      view_.BlockCommands().Copy();
      break;
    case Action::kCutBlock:
      view_.BlockCommands().Cut();
      break;
    case Action::kPasteBlock:
      view_.BlockCommands().Paste();
      break;
    case Action::kClearBlock:
      view_.BlockCommands().Clear();
      break;
    default:
      event->ignore();
      return;
  }
  event->accept();
}

bool TGridKeyController::EditorKeyPress(TGridEditor& editor, QKeyEvent* event) {
  TGridEditSession& edit = view_.EditSession();
  switch (ActionFor(*event, Where::kEditor)) {
    case Action::kNewLine:
      editor.insertPlainText(QStringLiteral("\n"));
      return true;
    case Action::kEndEdit:
      edit.EndEdit();
      return true;
    case Action::kCancelEdit:
      edit.CancelEdit();
      return true;
    case Action::kPageUp:
      PageMove(-1, false);
      return true;
    case Action::kPageDown:
      PageMove(1, false);
      return true;
    case Action::kLeaveUp:
      return LeaveCell(editor, -1);
    case Action::kLeaveDown:
      return LeaveCell(editor, 1);
    case Action::kCaretStart:
      editor.moveCursor(QTextCursor::Start);
      return true;
    case Action::kCaretEnd:
      editor.moveCursor(QTextCursor::End);
      return true;
    case Action::kCopy:
      editor.copy();
      return true;
    case Action::kPaste:
      editor.paste();
      return true;
    case Action::kCut:
      editor.cut();
      return true;
    case Action::kSwallow:
      return true;
    default:
      return false;
  }
}

bool TGridKeyController::HeaderEditorKeyPress(QKeyEvent* event) {
  if (ActionFor(*event, Where::kHeaderEditor) != Action::kSwallow) return false;
  event->accept();
  return true;
}

void TGridKeyController::MoveBy(int cols, int rows, bool keepAnchor) {
  const TTableGrid& model = view_.Model();
  view_.MoveFocus(model.FocusedCol() + cols, model.FocusedRow() + rows, keepAnchor);
}

void TGridKeyController::MoveTo(int col, int row, bool keepAnchor) { view_.MoveFocus(col, row, keepAnchor); }

void TGridKeyController::PageMove(int direction, bool keepAnchor) {
  const TTableGrid& model = view_.Model();
  const int page = view_.PageRows();
  const TCellAddress target = model.ClampToBody({model.FocusedCol(), model.FocusedRow() + direction * page});
  if (target.row == model.FocusedRow()) return;
  view_.SetTopLeft(model.LeftCol(), model.TopRow() + direction * page);
  view_.MoveFocus(target.col, target.row, keepAnchor);
}

void TGridKeyController::PageSideways(int direction, bool keepAnchor) {
  const TTableGrid& model = view_.Model();
  const int step = direction * view_.PageCols();
  const int col = model.FocusedCol();
  const int row = model.FocusedRow();
  view_.SetTopLeft(model.LeftCol() + step, model.TopRow());
  view_.MoveFocus(col + step, row, keepAnchor);
}

void TGridKeyController::ScrollBy(int rows) {
  const TTableGrid& model = view_.Model();
  view_.SetTopLeft(model.LeftCol(), model.TopRow() + rows);
}

void TGridKeyController::MoveToBottomVisible(bool keepAnchor) {
  const TGridGeometry geometry = view_.Geometry();
  view_.MoveFocus(view_.Model().FocusedCol(), std::max(geometry.LastFullyVisibleRow(), geometry.TopRow()), keepAnchor);
}

void TGridKeyController::SelectAll() {
  const TTableGrid& model = view_.Model();
  view_.SelectBlock({model.FixedCols(), model.FixedRows()}, {model.ColCount() - 1, model.RowCount() - 1}, false);
}

bool TGridKeyController::LeaveCell(TGridEditor& editor, int direction) {
  if (!(direction < 0 ? editor.CaretOnFirstLine() : editor.CaretOnLastLine())) return false;
  const TTableGrid& model = view_.Model();
  const int col = model.FocusedCol();
  const int row = model.FocusedRow();
  TGridEditSession& edit = view_.EditSession();
  edit.CommitEdit();
  view_.MoveFocus(col, row + direction, false);
  // In the top or last body row the focus cannot move: the editor stays open on the committed text, which
  // a later Esc keeps.
  if (edit.IsEditing()) edit.KeepCommittedText();
  return true;
}

}  // namespace metrazil
