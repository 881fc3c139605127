#pragma once

#include <QAccessibleWidget>
#include <QList>
#include <QPointer>

class QWidget;

namespace metrazil {

class TTableGridView;

// The grid's viewport for assistive tools: the widget its editors lie in, a child of the table while an
// editor is open (as a scroll area shows its viewport). Its children are the editors open in it; a closed
// editor, like the other widgets of the viewport, is not in the tree.
class TGridAccessibleViewport : public QAccessibleWidget {
 public:
  explicit TGridAccessibleViewport(TTableGridView* view);

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;

  // The in-place editor and the header editor, those shown.
  static QList<QWidget*> OpenEditors(const TTableGridView& view);

 private:
  QPointer<TTableGridView> view_;
};

}  // namespace metrazil
