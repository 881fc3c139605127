#include "grid/view/GridEditor.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextLayout>

#include "grid/view/TableGridView.h"

namespace metrazil {

TGridEditor::TGridEditor(TTableGridView& view, QWidget* parent) : QPlainTextEdit(parent), view_(view) {
  setFrameStyle(QFrame::NoFrame);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // the text scrolls with the caret, as in a cell-sized box
  setTabChangesFocus(true);
  document()->setDocumentMargin(0);
  setViewportMargins(2, 2, 2, 0);
  hide();
}

namespace {

// Index of the caret's line within its block's layout, and the number of lines there.
std::pair<int, int> CaretLine(const QTextCursor& cursor) {
  const QTextLayout* layout = cursor.block().layout();
  if (layout == nullptr || layout->lineCount() == 0) return {0, 1};
  const QTextLine line = layout->lineForTextPosition(cursor.positionInBlock());
  return {line.isValid() ? line.lineNumber() : 0, layout->lineCount()};
}

}  // namespace

bool TGridEditor::CaretOnFirstLine() const {
  const QTextCursor cursor = textCursor();
  return cursor.block() == document()->firstBlock() && CaretLine(cursor).first == 0;
}

bool TGridEditor::CaretOnLastLine() const {
  const QTextCursor cursor = textCursor();
  const auto [line, count] = CaretLine(cursor);
  return cursor.block() == document()->lastBlock() && line == count - 1;
}

void TGridEditor::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (mods == Qt::ControlModifier) {
        insertPlainText(QStringLiteral("\n"));
        return;
      }
      view_.EditorKey(event);
      return;
    case Qt::Key_Escape:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      view_.EditorKey(event);
      return;
    case Qt::Key_Up:
      if (mods == Qt::NoModifier && CaretOnFirstLine()) {
        view_.EditorKey(event);
        return;
      }
      break;
    case Qt::Key_Down:
      if (mods == Qt::NoModifier && CaretOnLastLine()) {
        view_.EditorKey(event);
        return;
      }
      break;
    case Qt::Key_Home:
    case Qt::Key_End:
      if (mods == Qt::NoModifier) {
        moveCursor(event->key() == Qt::Key_Home ? QTextCursor::Start : QTextCursor::End);
        return;
      }
      break;
    case Qt::Key_F2:
      moveCursor(QTextCursor::End);
      return;
    case Qt::Key_Insert:
      if (mods == Qt::ControlModifier) {
        copy();
      } else if (mods == Qt::ShiftModifier) {
        paste();
      }
      return;
    case Qt::Key_Delete:
      if (mods == Qt::ShiftModifier) {
        cut();
        return;
      }
      break;
    default:
      break;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void TGridEditor::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  view_.EditorLostFocus(event->reason());
}

bool TGridEditor::focusNextPrevChild(bool next) {
  // Tab leaves the grid for the control after (or before) the grid, not after the editor.
  view_.EditorTab(next);
  return true;
}

void TGridEditor::insertFromMimeData(const QMimeData* source) {
  QPlainTextEdit::insertFromMimeData(source);
  view_.EditorPasted();
}

}  // namespace metrazil
