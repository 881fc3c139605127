#include "grid/view/GridHeaderEditor.h"

#include <QKeyEvent>

#include "grid/view/GridEditSession.h"
#include "grid/view/GridKeyController.h"

namespace metrazil {

TGridHeaderEditor::TGridHeaderEditor(TGridEditSession& session, TGridKeyController& keys, QWidget* parent)
    : QLineEdit(parent), session_(session), keys_(keys) {
  setFrame(false);
  hide();
}

void TGridHeaderEditor::keyPressEvent(QKeyEvent* event) {
  if (!keys_.HeaderEditorKeyPress(event)) QLineEdit::keyPressEvent(event);
}

void TGridHeaderEditor::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason) session_.EndHeaderEdit();
}

}  // namespace metrazil
