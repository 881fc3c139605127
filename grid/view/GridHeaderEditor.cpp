#include "grid/view/GridHeaderEditor.h"

#include <QKeyEvent>

#include "grid/view/GridHeaderEditSession.h"
#include "grid/view/GridKeyController.h"

namespace metrazil {

TGridHeaderEditor::TGridHeaderEditor(TGridHeaderEditSession& edit, TGridKeyController& keys, QWidget* parent)
    : QLineEdit(parent), edit_(edit), keys_(keys) {
  setFrame(false);
  hide();
}

void TGridHeaderEditor::keyPressEvent(QKeyEvent* event) {
  if (!keys_.HeaderEditorKeyPress(event)) QLineEdit::keyPressEvent(event);
}

void TGridHeaderEditor::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason) edit_.End();
}

}  // namespace metrazil
