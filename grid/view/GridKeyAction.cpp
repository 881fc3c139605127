#include "grid/view/GridKeyAction.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace metrazil {

TGridKeyAction GridKeyActionFor(const QKeyEvent& event) {
  const Qt::KeyboardModifiers mods = event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  const bool ctrl = mods == Qt::ControlModifier;
  const bool plain = mods == Qt::NoModifier;
  using A = TGridKeyAction;
  if (ctrl && event.key() == Qt::Key_A) return A::kSelectAll;
  if (ctrl || plain) {
    switch (event.key()) {
      case Qt::Key_Up:
        return ctrl ? A::kScrollUp : A::kUp;
      case Qt::Key_Down:
        return ctrl ? A::kScrollDown : A::kDown;
      case Qt::Key_Left:
        return ctrl ? A::kPageLeft : A::kLeft;
      case Qt::Key_Right:
        return ctrl ? A::kPageRight : A::kRight;
      case Qt::Key_Home:
        return ctrl ? A::kFirstCell : A::kFirstCol;
      case Qt::Key_End:
        return ctrl ? A::kLastCell : A::kLastCol;
      case Qt::Key_PageUp:
        return ctrl ? A::kTopVisible : A::kPageUp;
      case Qt::Key_PageDown:
        return ctrl ? A::kBottomVisible : A::kPageDown;
      default:
        break;
    }
  }
  if (plain) {
    switch (event.key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        return A::kEdit;
      case Qt::Key_F2:
        return A::kEditAtEnd;
      case Qt::Key_Backspace:
        return A::kType;
      default:
        break;
    }
  }
  const QString text = event.text();
  const bool typed = !text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127;
  if (typed && (mods & (Qt::ControlModifier | Qt::AltModifier)) == 0) return A::kType;
  return A::kNone;
}

}  // namespace metrazil
