#include "grid/view/GridEditor.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextLayout>

#include "grid/view/GridEditSession.h"
#include "grid/view/GridKeyController.h"

namespace metrazil {

TGridEditor::TGridEditor(TGridEditSession& session, TGridKeyController& keys, QWidget* parent)
    : QPlainTextEdit(parent), session_(session), keys_(keys) {
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
  if (!keys_.EditorKeyPress(*this, event)) QPlainTextEdit::keyPressEvent(event);
}

void TGridEditor::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  session_.EditorLostFocus(event->reason());
}

bool TGridEditor::focusNextPrevChild(bool next) {
  // Tab leaves the grid for the control after (or before) the grid, not after the editor.
  session_.EditorTab(next);
  return true;
}

void TGridEditor::insertFromMimeData(const QMimeData* source) {
  QPlainTextEdit::insertFromMimeData(source);
  session_.EditorPasted();
}

}  // namespace metrazil
