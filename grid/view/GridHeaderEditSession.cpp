#include "grid/view/GridHeaderEditSession.h"

#include "grid/model/GridEdits.h"
#include "grid/view/CodePageText.h"
#include "grid/view/GridHeaderEditor.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

TGridHeaderEditSession::TGridHeaderEditSession(TTableGridView& view, TGridKeyController& keys)
    : view_(view), editor_(std::make_unique<TGridHeaderEditor>(*this, keys, view.viewport())) {}

TGridHeaderEditSession::~TGridHeaderEditSession() { Drop(); }

bool TGridHeaderEditSession::Accepts(int col) const {
  const TTableGrid& model = view_.Model();
  return editor_ != nullptr && col >= 0 && col < model.ColCount() && model.FixedRows() > 0;
}

bool TGridHeaderEditSession::OpenOnOtherThan(int col) const { return editor_->isVisible() && col_ != col; }

void TGridHeaderEditSession::Open(int col) {
  const QRect cell = view_.CellRect(col, 0);
  if (cell.isNull()) return;
  col_ = col;
  editor_->setGeometry(cell.adjusted(1, 1, -1, -1));
  bool cut = false;
  const QString text = EditorText(view_.Model().ReadCell(col, 0), &cut, TEditorTextForm::kAsStored);
  editor_->setReadOnly(cut);
  editor_->setText(text);
  editor_->setModified(false);
  editor_->show();
  editor_->setFocus(Qt::OtherFocusReason);
}

void TGridHeaderEditSession::End() {
  if (col_ < 0) return;
  const int col = col_;
  col_ = -1;
  // Unchanged text leaves the cell's bytes as they were.
  if (editor_->isModified()) {
    TTableGrid& model = view_.Model();
    std::string before = model.ReadCell(col, 0);
    model.WriteCell(col, 0, ToTableBytes(editor_->text()));
    view_.UndoStack().Push(TextWritten(model, col, 0, std::move(before)));
  }
  editor_->hide();
}

void TGridHeaderEditSession::Place() {
  if (col_ < 0) return;
  const QRect cell = view_.CellRect(col_, 0);
  if (!cell.isNull()) editor_->setGeometry(cell.adjusted(1, 1, -1, -1));
}

void TGridHeaderEditSession::Drop() {
  col_ = -1;
  editor_.reset();
}

}  // namespace metrazil
