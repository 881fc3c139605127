#include "grid/view/GridEditor.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "grid/view/GridEditSession.h"
#include "grid/view/GridKeyController.h"

namespace metrazil {

TGridEditor::TGridEditor(TGridEditSession& session, TGridKeyController& keys, QWidget* parent)
    : QPlainTextEdit(parent), session_(session), keys_(keys) {
  setFrameStyle(QFrame::NoFrame);
  setAutoFillBackground(true);  // the text margins take the cell's colour too
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // the text scrolls with the caret, as in a cell-sized box
  setTabChangesFocus(true);
  document()->setDocumentMargin(0);
  setViewportMargins(TCellTextInset::kLeft, TCellTextInset::kTop, TCellTextInset::kEditorRight, 0);
  connect(this, &QPlainTextEdit::textChanged, this, &TGridEditor::AlignFirstLine);
  hide();
}

void TGridEditor::AlignFirstLine() {
  // The cell puts the first line's baseline at its font's ascent, also under glyphs from a fallback font
  // (Chinese in a Latin face), while the editor lays a line out by its own, taller ascent: the text moves
  // up by the difference so that it does not jump when the editor opens.
  const QFontMetricsF metrics(font());
  QTextLayout layout(document()->firstBlock().text(), font());
  layout.setTextOption(document()->defaultTextOption());
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (line.isValid()) line.setLineWidth(std::max(viewport()->width(), 1));
  layout.endLayout();
  const qreal excess = line.isValid() ? line.ascent() - metrics.ascent() : 0;
  const int top = std::clamp(TCellTextInset::kTop - static_cast<int>(std::lround(excess)), 0, TCellTextInset::kTop);
  if (top != textTop_) {
    textTop_ = top;
    setViewportMargins(TCellTextInset::kLeft, textTop_, TCellTextInset::kEditorRight, 0);
  }
}

void TGridEditor::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  AlignFirstLine();
}

void TGridEditor::changeEvent(QEvent* event) {
  QPlainTextEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) AlignFirstLine();
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
