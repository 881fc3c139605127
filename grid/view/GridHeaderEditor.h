#pragma once

#include <QLineEdit>

namespace metrazil {

class TGridHeaderEditSession;
class TGridKeyController;

// The header editor: a borderless single-line text box over one header cell. Enter and Esc do nothing;
// the text reaches the cell when the keyboard focus leaves it.
class TGridHeaderEditor : public QLineEdit {
  Q_OBJECT

 public:
  TGridHeaderEditor(TGridHeaderEditSession& edit, TGridKeyController& keys, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  TGridHeaderEditSession& edit_;
  TGridKeyController& keys_;
};

}  // namespace metrazil
