#include "grid/view/GridKeyController.h"

#include <QKeyEvent>
#include <algorithm>

#include "grid/view/GridEditSession.h"
#include "grid/view/GridEditor.h"
#include "grid/view/TableGridView.h"

namespace metrazil {
namespace {

using A = TGridKeyAction;
using W = TGridKeyController::Where;

struct TKeyBinding {
  W where;
  int key;
  Qt::KeyboardModifiers counted;  // the modifiers that take part; the others are ignored
  Qt::KeyboardModifiers needed;   // what the counted ones must be
  A action;
};

// In the grid Shift is no part of a key: with a movement it keeps the anchor. In the in-place editor Meta
// is none, and some keys act whatever is held.
const Qt::KeyboardModifiers kGridMods = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
const Qt::KeyboardModifiers kEditorMods = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
const Qt::KeyboardModifiers kAny = Qt::NoModifier;  // counted: none, so any held match
const Qt::KeyboardModifiers kNoMods = Qt::NoModifier;
const Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
const Qt::KeyboardModifiers kShift = Qt::ShiftModifier;

// The first matching row wins.
const TKeyBinding kKeyTable[] = {
    {W::kGrid, Qt::Key_A, kGridMods, kCtrl, A::kSelectAll},
    {W::kGrid, Qt::Key_Up, kGridMods, kNoMods, A::kUp},
    {W::kGrid, Qt::Key_Up, kGridMods, kCtrl, A::kScrollUp},
    {W::kGrid, Qt::Key_Down, kGridMods, kNoMods, A::kDown},
    {W::kGrid, Qt::Key_Down, kGridMods, kCtrl, A::kScrollDown},
    {W::kGrid, Qt::Key_Left, kGridMods, kNoMods, A::kLeft},
    {W::kGrid, Qt::Key_Left, kGridMods, kCtrl, A::kPageLeft},
    {W::kGrid, Qt::Key_Right, kGridMods, kNoMods, A::kRight},
    {W::kGrid, Qt::Key_Right, kGridMods, kCtrl, A::kPageRight},
    {W::kGrid, Qt::Key_Home, kGridMods, kNoMods, A::kFirstCol},
    {W::kGrid, Qt::Key_Home, kGridMods, kCtrl, A::kFirstCell},
    {W::kGrid, Qt::Key_End, kGridMods, kNoMods, A::kLastCol},
    {W::kGrid, Qt::Key_End, kGridMods, kCtrl, A::kLastCell},
    {W::kGrid, Qt::Key_PageUp, kGridMods, kNoMods, A::kPageUp},
    {W::kGrid, Qt::Key_PageUp, kGridMods, kCtrl, A::kTopVisible},
    {W::kGrid, Qt::Key_PageDown, kGridMods, kNoMods, A::kPageDown},
    {W::kGrid, Qt::Key_PageDown, kGridMods, kCtrl, A::kBottomVisible},
    {W::kGrid, Qt::Key_Return, kGridMods, kNoMods, A::kEdit},
    {W::kGrid, Qt::Key_Enter, kGridMods, kNoMods, A::kEdit},
    {W::kGrid, Qt::Key_F2, kGridMods, kNoMods, A::kEditAtEnd},
    {W::kGrid, Qt::Key_Backspace, kGridMods, kNoMods, A::kType},

    {W::kEditor, Qt::Key_Return, kEditorMods, kCtrl, A::kNewLine},
    {W::kEditor, Qt::Key_Enter, kEditorMods, kCtrl, A::kNewLine},
    {W::kEditor, Qt::Key_Return, kAny, kNoMods, A::kEndEdit},
    {W::kEditor, Qt::Key_Enter, kAny, kNoMods, A::kEndEdit},
    {W::kEditor, Qt::Key_Escape, kAny, kNoMods, A::kCancelEdit},
    {W::kEditor, Qt::Key_PageUp, kAny, kNoMods, A::kPageUp},
    {W::kEditor, Qt::Key_PageDown, kAny, kNoMods, A::kPageDown},
    {W::kEditor, Qt::Key_Up, kEditorMods, kNoMods, A::kLeaveUp},
    {W::kEditor, Qt::Key_Down, kEditorMods, kNoMods, A::kLeaveDown},
    {W::kEditor, Qt::Key_Home, kEditorMods, kNoMods, A::kCaretStart},
    {W::kEditor, Qt::Key_End, kEditorMods, kNoMods, A::kCaretEnd},
    {W::kEditor, Qt::Key_F2, kAny, kNoMods, A::kCaretEnd},
    {W::kEditor, Qt::Key_Insert, kEditorMods, kCtrl, A::kCopy},
    {W::kEditor, Qt::Key_Insert, kEditorMods, kShift, A::kPaste},
    {W::kEditor, Qt::Key_Insert, kAny, kNoMods, A::kSwallow},
    {W::kEditor, Qt::Key_Delete, kEditorMods, kShift, A::kCut},

    // The header editor's text reaches the cell when the focus leaves it, never by a key.
    {W::kHeaderEditor, Qt::Key_Return, kAny, kNoMods, A::kSwallow},
    {W::kHeaderEditor, Qt::Key_Enter, kAny, kNoMods, A::kSwallow},
    {W::kHeaderEditor, Qt::Key_Escape, kAny, kNoMods, A::kSwallow},
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
  return where == W::kGrid && Typed(event) ? A::kType : A::kNone;
}

void TGridKeyController::GridKeyPress(QKeyEvent* event) {
  TGridEditSession& edit = view_.EditSession();
  if (edit.TakeGridKey(event)) return;
  const TTableGrid& model = view_.Model();
  const bool keep = (event->modifiers() & Qt::ShiftModifier) != 0;
  switch (ActionFor(*event, W::kGrid)) {
    case A::kUp:
      MoveBy(0, -1, keep);
      break;
    case A::kDown:
      MoveBy(0, 1, keep);
      break;
    case A::kLeft:
      MoveBy(-1, 0, keep);
      break;
    case A::kRight:
      MoveBy(1, 0, keep);
      break;
    case A::kFirstCol:
      MoveTo(0, model.FocusedRow(), keep);
      break;
    case A::kLastCol:
      MoveTo(model.ColCount() - 1, model.FocusedRow(), keep);
      break;
    case A::kPageUp:
      PageMove(-1, keep);
      break;
    case A::kPageDown:
      PageMove(1, keep);
      break;
    case A::kFirstCell:
      MoveTo(0, model.FixedRows(), keep);
      break;
    case A::kLastCell:
      MoveTo(model.ColCount() - 1, model.RowCount() - 1, keep);
      break;
    case A::kTopVisible:
      MoveTo(model.FocusedCol(), model.TopRow(), keep);
      break;
    case A::kBottomVisible:
      MoveToBottomVisible(keep);
      break;
    case A::kScrollUp:
      ScrollBy(-1);
      break;
    case A::kScrollDown:
      ScrollBy(1);
      break;
    case A::kPageLeft:
      PageSideways(-1, keep);
      break;
    case A::kPageRight:
      PageSideways(1, keep);
      break;
    case A::kSelectAll:
      SelectAll();
      break;
    case A::kEdit:
      edit.BeginEdit(true);
      break;
    case A::kEditAtEnd:
      edit.BeginEdit(false);
      break;
    case A::kType:
      edit.TypeIntoNewEdit(event);
      break;
    default:
      event->ignore();
      return;
  }
  event->accept();
}

bool TGridKeyController::EditorKeyPress(TGridEditor& editor, QKeyEvent* event) {
  TGridEditSession& edit = view_.EditSession();
  switch (ActionFor(*event, W::kEditor)) {
    case A::kNewLine:
      editor.insertPlainText(QStringLiteral("\n"));
      return true;
    case A::kEndEdit:
      edit.EndEdit();
      return true;
    case A::kCancelEdit:
      edit.CancelEdit();
      return true;
    case A::kPageUp:
      PageMove(-1, false);
      return true;
    case A::kPageDown:
      PageMove(1, false);
      return true;
    case A::kLeaveUp:
      return LeaveCell(editor, -1);
    case A::kLeaveDown:
      return LeaveCell(editor, 1);
    case A::kCaretStart:
      editor.moveCursor(QTextCursor::Start);
      return true;
    case A::kCaretEnd:
      editor.moveCursor(QTextCursor::End);
      return true;
    case A::kCopy:
      editor.copy();
      return true;
    case A::kPaste:
      editor.paste();
      return true;
    case A::kCut:
      editor.cut();
      return true;
    case A::kSwallow:
      return true;
    default:
      return false;
  }
}

bool TGridKeyController::HeaderEditorKeyPress(QKeyEvent* event) {
  if (ActionFor(*event, W::kHeaderEditor) != A::kSwallow) return false;
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
  const int target = std::clamp(model.FocusedRow() + direction * page, model.FixedRows(), model.RowCount() - 1);
  if (target == model.FocusedRow()) return;
  view_.SetTopLeft(model.LeftCol(), model.TopRow() + direction * page);
  view_.MoveFocus(model.FocusedCol(), target, keepAnchor);
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
  TTableGrid& model = view_.Model();
  model.SetFocusedCell(std::max(0, model.FixedCols()), model.FixedRows(), false);
  model.SetFocusedCell(model.ColCount() - 1, model.RowCount() - 1, true);
  view_.viewport()->update();
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
