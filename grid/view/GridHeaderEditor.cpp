#include "grid/view/GridHeaderEditor.h"

#include <QKeyEvent>

#include "grid/view/TableGridView.h"

namespace metrazil {

TGridHeaderEditor::TGridHeaderEditor(TTableGridView& view, QWidget* parent) : QLineEdit(parent), view_(view) {
  setFrame(false);
  hide();
}

void TGridHeaderEditor::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QLineEdit::keyPressEvent(event);
  }
}

void TGridHeaderEditor::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason) view_.HeaderEditorLostFocus();
}

}  // namespace metrazil
