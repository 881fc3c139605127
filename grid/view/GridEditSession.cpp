#include "grid/view/GridEditSession.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>

#include "grid/layout/CellTextKind.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridEditor.h"
#include "grid/view/GridHeaderEditor.h"
#include "grid/view/TableGridView.h"

namespace metrazil {
namespace {

// What an editor shows of a text, and whether it had to be cut at kMaxEditedChars characters.
std::pair<QString, bool> ForEditing(std::string_view bytes) {
  bool cut = false;
  QString text = FromTableBytes(bytes, kMaxEditedChars, &cut);
  return {text, cut};
}

}  // namespace

TGridEditSession::TGridEditSession(TTableGridView& view, TGridKeyController& keys)
    : view_(view), keys_(keys), headerEditor_(new TGridHeaderEditor(*this, keys, view.viewport())) {}

TGridEditSession::~TGridEditSession() { DropEditors(); }

void TGridEditSession::DropEditors() {
  // Nothing is stored: closing the window saves nothing. Losing the focus on the way finds no edit open.
  editing_ = false;
  headerCol_ = -1;
  delete editor_;
  editor_ = nullptr;
  delete headerEditor_;
  headerEditor_ = nullptr;
}

// ---- the in-place editor -------------------------------------------------------------------------------

void TGridEditSession::BeginEdit(bool selectAll, bool takeFocus) {
  TTableGrid& model = view_.Model();
  const int col = model.FocusedCol();
  const int row = model.FocusedRow();
  if (row < model.FixedRows() || col < model.FixedCols()) return;
  const TGridStyle& style = view_.Style();
  if (editor_ == nullptr) {
    editor_ = new TGridEditor(*this, keys_, view_.viewport());
    QPalette colours = editor_->palette();
    colours.setColor(QPalette::Base, style.cellColor);
    colours.setColor(QPalette::Window, style.cellColor);  // the text margins around the editor's viewport
    colours.setColor(QPalette::Text, style.textColor);
    editor_->setPalette(colours);
    editor_->setAutoFillBackground(true);
  }
  if (!editing_) {
    const TCellAddress topLeft = view_.Geometry().ScrollIntoView(col, row);
    view_.SetTopLeft(topLeft.col, topLeft.row);
    editing_ = true;
    editCell_ = {col, row};
    startText_ = model.ReadCell(col, row);
    lastCommitted_ = startText_;
    editor_->setFont(style.editorFont);
    LoadEditor(startText_);
    PlaceEditor();
    editor_->show();
    view_.viewport()->update();
  }
  if (takeFocus) editor_->setFocus(Qt::OtherFocusReason);
  if (selectAll) {
    editor_->selectAll();
  } else {
    editor_->moveCursor(QTextCursor::End);
  }
}

void TGridEditSession::LoadEditor(const std::string& cellText) {
  loadedBytes_ = cellText;
  // A text too long to lay out quickly is shown cut and read-only: ending the edit leaves the cell whole.
  bool cut = false;
  const QString text = EditorText(cellText, &cut);
  editor_->setReadOnly(cut);
  // Breaking lines only at word boundaries costs time with the square of a long word's length.
  editor_->setWordWrapMode(cut ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
  editor_->setPlainText(text);
  loadedText_ = editor_->toPlainText();
}

std::string TGridEditSession::EditorBytes() const {
  const QString text = editor_->toPlainText();
  // Unchanged text stands for the cell's own bytes: opening and closing the editor must not strip tags or
  // re-encode what was loaded.
  if (text == loadedText_) return loadedBytes_;
  QString lines = text;
  lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return ToTableBytes(lines);
}

void TGridEditSession::WriteFromEditor(const std::string& text) {
  const QScopedValueRollback<bool> writing(writingFromEditor_, true);
  view_.Model().WriteCell(editCell_.col, editCell_.row, text);
}

void TGridEditSession::PlaceEditor() {
  if (!editing_) return;
  const QRect cell = view_.CellRect(editCell_.col, editCell_.row);
  if (cell.isNull()) {
    editor_->setGeometry(-10000, -10000, 1, 1);  // scrolled out: kept open, out of sight
    return;
  }
  editor_->setGeometry(cell.adjusted(0, 0, -1, -1));
}

void TGridEditSession::PlaceEditors() {
  PlaceEditor();
  if (headerCol_ < 0) return;
  const QRect cell = view_.CellRect(headerCol_, 0);
  if (!cell.isNull()) headerEditor_->setGeometry(cell.adjusted(1, 1, -1, -1));
}

void TGridEditSession::CommitEdit() {
  if (!editing_) return;
  const std::string text = EditorBytes();
  if (text == lastCommitted_) return;
  WriteFromEditor(text);
  lastCommitted_ = text;
}

void TGridEditSession::EndEdit(bool focusGrid) {
  if (!editing_ || closingEditor_) return;
  const QScopedValueRollback<bool> closing(closingEditor_, true);
  CommitEdit();
  const std::string text = EditorBytes();
  if (view_.Model().CellText(editCell_.col, editCell_.row) != text) WriteFromEditor(text);
  HideEditor(focusGrid);
}

void TGridEditSession::CancelEdit() {
  if (!editing_) return;
  LoadEditor(startText_);
  EndEdit();
}

void TGridEditSession::EndEdits() {
  const QWidget* focused = QApplication::focusWidget();
  const bool editorFocused = focused != nullptr && (focused == editor_ || focused == headerEditor_);
  EndHeaderEdit();
  EndEdit(editorFocused);
  if (editorFocused) view_.setFocus(Qt::OtherFocusReason);
}

void TGridEditSession::HideEditor(bool focusGrid) {
  editing_ = false;
  forwardingComposition_ = false;
  if (focusGrid) view_.setFocus(Qt::OtherFocusReason);
  editor_->hide();
  view_.viewport()->update();
}

void TGridEditSession::CellWritten(int col, int row) {
  if (editing_ && !writingFromEditor_ && col == editCell_.col && row == editCell_.row) Reload();
}

void TGridEditSession::CellsWritten(TCellAddress from, TCellAddress to) {
  // The box may hold cells the read did not write: only a text other than the edit's own tells it did.
  if (editing_ && editCell_.col >= from.col && editCell_.col <= to.col && editCell_.row >= from.row &&
      editCell_.row <= to.row && view_.Model().CellText(editCell_.col, editCell_.row) != lastCommitted_) {
    Reload();
  }
}

void TGridEditSession::Reload() {
  const std::string text = view_.Model().ReadCell(editCell_.col, editCell_.row);
  LoadEditor(text);
  lastCommitted_ = text;
  editor_->selectAll();
}

// ---- keys and input methods that reach the grid --------------------------------------------------------

bool TGridEditSession::TakeGridKey(QKeyEvent* event) {
  if (forwardingKey_) {
    event->ignore();
    return true;
  }
  if (!editing_) return false;
  const QScopedValueRollback<bool> forwarding(forwardingKey_, true);
  QCoreApplication::sendEvent(editor_, event);
  return true;
}

void TGridEditSession::TypeIntoNewEdit(QKeyEvent* event) {
  BeginEdit(true);
  if (!editing_) return;
  QKeyEvent typed(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                  static_cast<quint16>(event->count()));
  const QScopedValueRollback<bool> forwarding(forwardingKey_, true);
  QCoreApplication::sendEvent(editor_, &typed);
}

void TGridEditSession::InputMethodEvent(QInputMethodEvent* event) {
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
        &view_,
        [this] {
          if (editing_ && view_.hasFocus()) editor_->setFocus(Qt::OtherFocusReason);
        },
        Qt::QueuedConnection);
  }
}

// ---- from the in-place editor --------------------------------------------------------------------------

void TGridEditSession::EditorTab(bool next) {
  EndEdit();
  view_.FocusPastGrid(next);
}

void TGridEditSession::EditorLostFocus(Qt::FocusReason reason) {
  if (!editing_ || closingEditor_ || reason == Qt::PopupFocusReason) return;
  QWidget* now = QApplication::focusWidget();
  // A press in the grid ends the edit itself, after deciding what the press does.
  if (now == &view_ && reason == Qt::MouseFocusReason) return;
  const bool focusGrid = now == nullptr || now == &view_ || now->window() != view_.window();
  EndEdit(focusGrid);
}

void TGridEditSession::EditorPasted() {
  // A paste reaches the cell at once.
  CommitEdit();
}

// ---- the header editor ---------------------------------------------------------------------------------

void TGridEditSession::BeginHeaderEdit(int col) {
  TTableGrid& model = view_.Model();
  if (headerEditor_ == nullptr || col < 0 || col >= model.ColCount() || model.FixedRows() == 0) return;
  if (headerEditor_->isVisible() && headerCol_ != col) EndHeaderEdit();
  EndEdit(false);
  const QRect cell = view_.CellRect(col, 0);
  if (cell.isNull()) return;
  headerCol_ = col;
  const TGridStyle& style = view_.Style();
  headerEditor_->setFont(style.editorFont);
  QPalette colours = headerEditor_->palette();
  colours.setColor(QPalette::Base, style.cellColor);
  colours.setColor(QPalette::Text, style.textColor);
  headerEditor_->setPalette(colours);
  headerEditor_->setGeometry(cell.adjusted(1, 1, -1, -1));
  const auto [text, cut] = ForEditing(model.ReadCell(col, 0));
  headerEditor_->setReadOnly(cut);
  headerEditor_->setText(text);
  headerEditor_->setModified(false);
  headerEditor_->show();
  headerEditor_->setFocus(Qt::OtherFocusReason);
}

void TGridEditSession::EndHeaderEdit() {
  if (headerCol_ < 0) return;
  const int col = headerCol_;
  headerCol_ = -1;
  // Unchanged text leaves the cell's bytes as they were.
  if (headerEditor_->isModified()) view_.Model().WriteCell(col, 0, ToTableBytes(headerEditor_->text()));
  headerEditor_->hide();
}

}  // namespace metrazil
