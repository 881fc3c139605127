#pragma once

#include <QLineEdit>

namespace metrazil {

class TTableGridView;

// The header editor: a borderless single-line text box over one header cell. Enter and Esc do nothing;
// the text reaches the cell when the keyboard focus leaves it.
class TGridHeaderEditor : public QLineEdit {
  Q_OBJECT

 public:
  explicit TGridHeaderEditor(TTableGridView& view, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  TTableGridView& view_;
};

}  // namespace metrazil
