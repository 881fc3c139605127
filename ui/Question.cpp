#include "ui/Question.h"

#include <QPushButton>
#include <algorithm>
#include <vector>

#include "ui/DialogFocus.h"
#include "ui/ReportException.h"

namespace metrazil {

std::size_t Ask(QWidget* parent, const QString& question, std::initializer_list<TAnswer> answers,
                std::size_t defaultAnswer, std::size_t escapeAnswer) {
  ReleaseMouseGrab();
  const TDialogFocusKeeper keeper;
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(kApplicationTitle), question, QMessageBox::NoButton, parent);
  std::vector<QPushButton*> buttons;
  for (const TAnswer& answer : answers)
    buttons.push_back(box.addButton(QString::fromUtf8(answer.caption), answer.role));
  box.setDefaultButton(buttons[defaultAnswer]);
  const std::size_t escape = std::min(escapeAnswer, buttons.size() - 1);
  box.setEscapeButton(buttons[escape]);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  const auto clicked = std::find(buttons.begin(), buttons.end(), box.clickedButton());
  return clicked == buttons.end() ? escape : static_cast<std::size_t>(clicked - buttons.begin());
}

}  // namespace metrazil
