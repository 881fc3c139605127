#include "grid/view/GridAccessibleViewport.h"

#include "grid/view/GridEditor.h"
#include "grid/view/GridHeaderEditor.h"
#include "grid/view/TableGridView.h"

namespace metrazil {

TGridAccessibleViewport::TGridAccessibleViewport(TTableGridView* view)
    : QAccessibleWidget(view->viewport(), QAccessible::Client), view_(view) {}

QList<QWidget*> TGridAccessibleViewport::OpenEditors(const TTableGridView& view) {
  QList<QWidget*> editors;
  for (QWidget* editor :
       {static_cast<QWidget*>(view.EditSession().Editor()), static_cast<QWidget*>(view.EditSession().HeaderEditor())}) {
    if (editor != nullptr && editor->isVisible()) editors.append(editor);
  }
  return editors;
}

int TGridAccessibleViewport::childCount() const {
  return isValid() && !view_.isNull() ? static_cast<int>(OpenEditors(*view_).size()) : 0;
}

QAccessibleInterface* TGridAccessibleViewport::child(int index) const {
  if (!isValid() || view_.isNull()) return nullptr;
  const QList<QWidget*> editors = OpenEditors(*view_);
  return index >= 0 && index < editors.size() ? QAccessible::queryAccessibleInterface(editors[index]) : nullptr;
}

int TGridAccessibleViewport::indexOfChild(const QAccessibleInterface* child) const {
  if (child == nullptr || !isValid() || view_.isNull()) return -1;
  return static_cast<int>(OpenEditors(*view_).indexOf(qobject_cast<QWidget*>(child->object())));
}

}  // namespace metrazil
