#pragma once

#include <QMessageBox>
#include <QString>
#include <cstddef>
#include <functional>
#include <initializer_list>

class QWidget;

namespace metrazil {

// One answer of a modal question: its button's caption and role.
struct TAnswer {
  const char* caption;
  QMessageBox::ButtonRole role;
};

// Asks a modal question with the application title as caption; Esc and the close box give the escape
// answer, the last one unless said otherwise. Returns the index of the answer given.
std::size_t Ask(QWidget* parent, const QString& question, std::initializer_list<TAnswer> answers,
                std::size_t defaultAnswer, std::size_t escapeAnswer = static_cast<std::size_t>(-1));

}  // namespace metrazil
