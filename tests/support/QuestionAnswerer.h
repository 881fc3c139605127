#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <utility>

namespace metrazil {

// Answers the program's modal questions as they come up, one answer each in order: a button's caption,
// "Enter" (the default button) or "Esc"; with no answer left, "Esc". Records each question as it was asked.
class TQuestionAnswerer : public QObject {
 public:
  explicit TQuestionAnswerer(QStringList answers) : answers_(std::move(answers)) {
    connect(&timer_, &QTimer::timeout, this, [this] { Answer(); });
    timer_.start(5);
  }

  struct TQuestion {
    QString text;
    QStringList buttons;  // their captions, sorted
    QString defaultButton;
  };
  QList<TQuestion> asked;
  // Caption Metrazil, the question icon and modal, for every question so far.
  bool looksRight = true;

  QStringList Texts() const {
    QStringList texts;
    for (const TQuestion& question : asked) texts.append(question.text);
    return texts;
  }
  QStringList Defaults() const {
    QStringList defaults;
    for (const TQuestion& question : asked) defaults.append(question.defaultButton);
    return defaults;
  }

 private:
  void Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    TQuestion question{box->text(), {}, box->defaultButton() != nullptr ? box->defaultButton()->text() : QString()};
    for (const QAbstractButton* button : box->buttons()) question.buttons.append(button->text());
    question.buttons.sort();
    asked.append(question);
    looksRight = looksRight && box->windowTitle() == QStringLiteral("Metrazil") &&
                 box->icon() == QMessageBox::Question && box->isModal();
    const QString answer = answers_.isEmpty() ? QStringLiteral("Esc") : answers_.takeFirst();
    if (answer == QStringLiteral("Esc") || answer == QStringLiteral("Enter")) {
      QTest::keyClick(box, answer == QStringLiteral("Esc") ? Qt::Key_Escape : Qt::Key_Return);
      return;
    }
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == answer) QTest::mouseClick(button, Qt::LeftButton);
    }
  }

  QStringList answers_;
  QTimer timer_;
};

}  // namespace metrazil
