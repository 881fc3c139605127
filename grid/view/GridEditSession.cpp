#include "grid/view/GridEditSession.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include "grid/model/GridEdits.h"
#include "grid/text/CellTextKind.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridEditor.h"
#include "grid/view/GridHeaderEditSession.h"
#include "grid/view/GridHeaderEditor.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

TGridEditSession::TGridEditSession(TTableGridView& view, TGridKeyController& keys)
    : view_(view), keys_(keys), headerEdit_(std::make_unique<TGridHeaderEditSession>(view, keys)) {}

TGridEditSession::~TGridEditSession() { DropEditors(); }

void TGridEditSession::DropEditors() {
  // Nothing is stored: closing the window saves nothing. Losing the focus on the way finds no edit open.
  state_ = TState::kClosed;
  editor_.reset();
  headerEdit_->Drop();
}

TGridHeaderEditor* TGridEditSession::HeaderEditor() const { return headerEdit_->Editor(); }

void TGridEditSession::ApplyEditorStyle() {
  const TGridStyle& style = view_.Style();
  if (editor_ != nullptr) style.ApplyToEditor(*editor_);
  if (TGridHeaderEditor* header = HeaderEditor()) style.ApplyToEditor(*header);
}

// ---- the in-place editor -------------------------------------------------------------------------------

void TGridEditSession::BeginEdit(bool selectAll, bool takeFocus) {
  TTableGrid& model = view_.Model();
  const int col = model.FocusedCol();
  const int row = model.FocusedRow();
  if (row < model.FixedRows() || col < model.FixedCols()) return;
  if (editor_ == nullptr) {
    editor_ = std::make_unique<TGridEditor>(*this, keys_, view_.viewport());
    view_.EditorMade(*editor_);
  }
  if (state_ == TState::kClosed) {
    view_.ScrollToCell({col, row});
    state_ = TState::kOpen;
    editCell_ = {col, row};
    startText_ = model.ReadCell(col, row);
    undoText_ = startText_;
    lastCommitted_ = startText_;
    ApplyEditorStyle();
    LoadEditor(startText_);
    PlaceEditor();
    editor_->show();
    view_.RepaintChanged();
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
  const QScopedValueRollback<bool> guard(writingFromEditorGuard_, true);
  view_.Model().WriteCell(editCell_.col, editCell_.row, text);
}

void TGridEditSession::PlaceEditor() {
  if (state_ == TState::kClosed) return;
  const QRect cell = view_.CellRect(editCell_.col, editCell_.row);
  if (cell.isNull()) {
    editor_->setGeometry(-10000, -10000, 1, 1);  // scrolled out: kept open, out of sight
    return;
  }
  editor_->setGeometry(cell.adjusted(0, 0, -1, -1));
}

void TGridEditSession::PlaceEditors() {
  PlaceEditor();
  headerEdit_->Place();
}

void TGridEditSession::CommitEdit() {
  if (state_ == TState::kClosed) return;
  const std::string text = EditorBytes();
  if (text == lastCommitted_) return;
  WriteFromEditor(text);
  lastCommitted_ = text;
}

void TGridEditSession::EndEdit(bool focusGrid) {
  if (state_ == TState::kClosed || state_ == TState::kClosing) return;
  // A write that throws leaves the edit open as it was.
  const TState before = state_;
  state_ = TState::kClosing;
  const auto reopen = qScopeGuard([this, before] {
    if (state_ == TState::kClosing) state_ = before;
  });
  CommitEdit();
  const std::string text = EditorBytes();
  if (view_.Model().CellText(editCell_.col, editCell_.row) != text) WriteFromEditor(text);
  // One undo step for the whole edit, pastes into the editor and commits on the way included.
  view_.UndoStack().Push(TextWritten(view_.Model(), editCell_.col, editCell_.row, std::move(undoText_)));
  undoText_.clear();
  HideEditor(focusGrid);
}

void TGridEditSession::CancelEdit() {
  if (state_ == TState::kClosed) return;
  LoadEditor(startText_);
  EndEdit();
}

void TGridEditSession::EndAllEdits() {
  const QWidget* focused = QApplication::focusWidget();
  const bool editorFocused = focused != nullptr && (focused == editor_.get() || focused == HeaderEditor());
  EndHeaderEdit();
  EndEdit(editorFocused);
  if (editorFocused) view_.setFocus(Qt::OtherFocusReason);
}

void TGridEditSession::HideEditor(bool focusGrid) {
  state_ = TState::kClosed;
  if (focusGrid) view_.setFocus(Qt::OtherFocusReason);
  editor_->hide();
  view_.RepaintChanged();
}

void TGridEditSession::CellsChanged(const TCellBox& box) {
  if (state_ == TState::kClosed || writingFromEditorGuard_ || !box.Contains(editCell_.col, editCell_.row)) return;
  // The box may hold cells that were not written: only a text other than the edit's own tells the edit cell was.
  if (view_.Model().CellText(editCell_.col, editCell_.row) != lastCommitted_) Reload();
}

void TGridEditSession::Reload() {
  const std::string text = view_.Model().ReadCell(editCell_.col, editCell_.row);
  LoadEditor(text);
  lastCommitted_ = text;
  undoText_ = text;
  editor_->selectAll();
}

// ---- keys and input methods that reach the grid --------------------------------------------------------

bool TGridEditSession::TakeGridKey(QKeyEvent* event) {
  if (forwardingKeyGuard_) {
    event->ignore();
    return true;
  }
  if (state_ == TState::kClosed) return false;
  const QScopedValueRollback<bool> guard(forwardingKeyGuard_, true);
  QCoreApplication::sendEvent(editor_.get(), event);
  return true;
}

void TGridEditSession::TypeIntoNewEdit(QKeyEvent* event) {
  BeginEdit(true);
  if (state_ == TState::kClosed) return;
  QKeyEvent typed(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                  static_cast<quint16>(event->count()));
  const QScopedValueRollback<bool> guard(forwardingKeyGuard_, true);
  QCoreApplication::sendEvent(editor_.get(), &typed);
}

void TGridEditSession::InputMethodEvent(QInputMethodEvent* event) {
  if (state_ == TState::kClosed) {
    if (event->commitString().isEmpty() && event->preeditString().isEmpty()) {
      event->accept();
      return;
    }
    // The grid keeps the focus until the composition commits: moving it now would make the input method
    // commit a partial candidate.
    BeginEdit(true, false);
    if (state_ == TState::kClosed) return;
    state_ = TState::kComposing;
  }
  QCoreApplication::sendEvent(editor_.get(), event);
  if (state_ == TState::kComposing && !event->commitString().isEmpty()) {
    state_ = TState::kOpen;
    QMetaObject::invokeMethod(
        &view_,
        [this] {
          if (state_ != TState::kClosed && view_.hasFocus()) editor_->setFocus(Qt::OtherFocusReason);
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
  if (state_ == TState::kClosed || state_ == TState::kClosing || reason == Qt::PopupFocusReason) return;
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
  if (!headerEdit_->Accepts(col)) return;
  if (headerEdit_->OpenOnOtherThan(col)) headerEdit_->End();
  EndEdit(false);
  ApplyEditorStyle();
  headerEdit_->Open(col);
}

void TGridEditSession::EndHeaderEdit() { headerEdit_->End(); }

}  // namespace metrazil
